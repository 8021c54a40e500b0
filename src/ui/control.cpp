#include "ui/control.h"

#include <vector>

namespace vs::ui {

Control::~Control() {
  unbind();
}

bool Control::bind(HWND dialog, int id) {
  if (hwnd_) return false;
  HWND control = GetDlgItem(dialog, id);
  if (!control) return false;
  hwnd_ = control;
  if (wantsOwnMessages()) {
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::subclassProc)));
  }
  return true;
}

void Control::unbind() {
  if (hwnd_ && original_) {
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  }
  hwnd_ = nullptr;
  original_ = nullptr;
}

void Control::show(bool visible) const {
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}
void Control::enable(bool enabled) const {
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}
bool Control::visible() const {
  return IsWindowVisible(hwnd_) != FALSE;
}
bool Control::enabled() const {
  return IsWindowEnabled(hwnd_) != FALSE;
}
void Control::setText(const char* text) const {
  SetWindowTextA(hwnd_, text);
}

std::string Control::text() const {
  const int length = GetWindowTextLengthA(hwnd_);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const int copied = GetWindowTextA(hwnd_, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void Control::drawItem(const DRAWITEMSTRUCT&) {}

LRESULT Control::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return defaultProc(message, wParam, lParam);
}

LRESULT Control::defaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(original_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Control::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Control*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self || self->hwnd_ != window) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window goes; the object stays usable (and unbound) until it is destroyed itself.
    const WNDPROC original = self->original_;
    self->unbind();
    return CallWindowProcA(original, window, message, wParam, lParam);
  }
  // No exception may cross the system's call into this procedure.
  try {
    return self->windowProc(message, wParam, lParam);
  } catch (...) {
    return self->defaultProc(message, wParam, lParam);
  }
}

}  // namespace vs::ui
