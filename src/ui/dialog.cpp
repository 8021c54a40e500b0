#include "ui/dialog.h"

#include <algorithm>

#include "ui/gdi.h"

namespace vs::ui {

INT_PTR Dialog::runModal(HWND owner) {
  const INT_PTR result = DialogBoxParamA(programModule(), MAKEINTRESOURCEA(templateId_), owner,
                                         &Dialog::dialogProc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  controls_.clear();
  return result;
}

bool Dialog::bind(Control& control, int id) {
  if (!control.bind(hwnd_, id)) return false;
  controls_.push_back(&control);
  return true;
}

void Dialog::onCommand(int id, int notification) {
  // A second click of a double click comes as its own notification and is not a command.
  if (notification != BN_CLICKED) return;
  if (id == IDOK) onOk();
  if (id == IDCANCEL) onCancel();
}

HBRUSH Dialog::onCtlColor(HDC, HWND, int, HBRUSH defaultBrush) {
  return defaultBrush;
}

bool Dialog::onMessage(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

INT_PTR CALLBACK Dialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    reinterpret_cast<Dialog*>(lParam)->hwnd_ = window;
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!self) return FALSE;
  // No exception may cross the system's call into this procedure.
  try {
    return self->handle(message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return initialise();
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      Control* control = boundControl(item->hwndItem);
      if (!control) return FALSE;
      control->drawItem(*item);
      return TRUE;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      const auto defaultBrush =
          reinterpret_cast<HBRUSH>(DefWindowProcA(hwnd_, message, wParam, lParam));
      // A control-colour answer is the brush itself, not a message result.
      return reinterpret_cast<INT_PTR>(
          onCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                     static_cast<int>(message - WM_CTLCOLORMSGBOX), defaultBrush));
    }
    default: {
      LRESULT result = 0;
      if (!onMessage(message, wParam, lParam, result)) return FALSE;
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
}

INT_PTR Dialog::initialise() {
  RECT before{};
  GetWindowRect(hwnd_, &before);
  const BOOL defaultFocus = onInitDialog();
  // A dialog that is still hidden and was not moved by its initialisation opens centred over its
  // owner (or the screen).
  RECT after{};
  GetWindowRect(hwnd_, &after);
  const bool visible = (GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
  if (!visible && after.left == before.left && after.top == before.top) {
    centreWindow(hwnd_, GetWindow(hwnd_, GW_OWNER));
  }
  return defaultFocus;
}

Control* Dialog::boundControl(HWND window) const {
  const auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [window](const Control* c) { return c->hwnd() == window; });
  return found == controls_.end() ? nullptr : *found;
}

void centreWindow(HWND window, HWND over) {
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT target = area;
  if (over && IsWindowVisible(over) && !IsIconic(over)) GetWindowRect(over, &target);
  RECT own{};
  GetWindowRect(window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  int left = target.left + ((target.right - target.left) - width) / 2;
  int top = target.top + ((target.bottom - target.top) - height) / 2;
  left =
      std::max(static_cast<int>(area.left), std::min(left, static_cast<int>(area.right) - width));
  top = std::max(static_cast<int>(area.top), std::min(top, static_cast<int>(area.bottom) - height));
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vs::ui
