// Push buttons drawn entirely from bitmaps named after the button's text: a highlighted picture
// (pointer over the button or keyboard focus), a normal one and, for some, a disabled one. The
// button takes the keyboard focus when the pointer enters it; apart from drawing it keeps the
// standard push button's behaviour (click on release, Space presses the focused button).
#pragma once

#include <windows.h>

#include "ui/control.h"
#include "ui/gdi.h"

namespace vs::ui {

// The message box's buttons: the ordinary arrow over them.
class NCExButton : public Control {
 public:
  // Binds the button to control `id` of the dialog unless it is bound already, and loads the
  // pictures named by its text. False only when it cannot be bound or has no text; a missing
  // picture leaves the button drawing nothing but still answers true.
  bool AttachSkin(int id, HWND dialog);
  // Replaces the three pictures; false when the highlighted or normal one is missing.
  bool LoadStateBitmaps(const char* focusName, const char* normalName, const char* disabledName);
  // Sizes the button to its normal picture without moving it.
  bool SizeToBitmap();

  void drawItem(const DRAWITEMSTRUCT& item) override;
  bool highlighted() const { return highlighted_ != 0; }

 protected:
  bool wantsOwnMessages() const override { return true; }
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void setHighlighted(int highlighted);

  int highlighted_ = 0;
  RECT hitRect_{};
  Bitmap disabledPicture_;
  Bitmap normalPicture_;
  Bitmap highlightedPicture_;
};

// The main window's buttons: the hand pointer over them, where the system has one.
class CExButton : public NCExButton {
 public:
  // Takes the help viewer's hand cursor, else the system's hand; without either the arrow stays.
  void LoadHandCursor();

 protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  Cursor handCursor_;
};

}  // namespace vs::ui
