// What the tool's message box shows for a message-box type and how far it grows with its text.
// Plain arithmetic, kept apart from the dialog so that it can be checked without a window.
#pragma once

#include <cstddef>

namespace vs::ui {

// The button rows of the box; exactly one is shown.
enum class MessageBoxButtons { Ok, OkCancel, YesNo };

// The pictures, bitmap resources 152 to 155.
constexpr int kPictureInformation = 152;
constexpr int kPictureQuestion = 153;
constexpr int kPictureWarning = 154;
constexpr int kPictureError = 155;

// Bit 0 (MB_OKCANCEL) wins over bit 2 (MB_YESNO), so the types 1, 3 and 5 give OK and Cancel.
MessageBoxButtons buttonsForType(unsigned type);

// MB_ICONEXCLAMATION (both bits 0x30) first, then information, question, stop; else the warning.
int pictureForType(unsigned type);

// What Cancel, Escape and the close box answer: No in a Yes/No box, else Cancel.
int cancelResultFor(MessageBoxButtons buttons);

// Growth of the box in pixels for a text of a given length: H = (length / 30 + 1) * 10, the box
// grows by W = H * 1.25 in width and D = H - W / 4 in height, and the buttons move by W / 2.
struct MessageBoxGrowth {
  int height;  // H
  int width;   // W
  int depth;   // D
  int buttonShift() const { return width / 2; }
  // From 90 characters on (H above 30) the picture moves up beside the grown text.
  bool picturesMove() const { return height > 30; }
};

// Lengths are capped so that an absurdly long text cannot overflow the arithmetic; such a box is
// as large as the screen long before the cap.
MessageBoxGrowth growthForTextLength(std::size_t length);

}  // namespace vs::ui
