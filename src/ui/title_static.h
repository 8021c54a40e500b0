// The main window's title line: a static text that paints itself in white on the banner's blue,
// in the bold title font.
#pragma once

#include <windows.h>

#include "ui/control.h"

namespace vs::ui {

class CTitleStatic : public Control {
 public:
  // The font the text is drawn in; owned by the main window.
  void setFont(HFONT font) { font_ = font; }

 protected:
  bool wantsOwnMessages() const override { return true; }
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void paint();

  HFONT font_ = nullptr;
  COLORREF textColour_ = RGB(255, 255, 255);
};

}  // namespace vs::ui
