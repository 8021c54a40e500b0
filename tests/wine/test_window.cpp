#include "wine/test_window.h"

#include <gtest/gtest.h>

namespace vs::test {
namespace {

constexpr const char* kClassName = "VantosweeperTestWindow";

void registerClassOnce() {
  static const ATOM atom = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass);
  }();
  ASSERT_NE(atom, 0) << "error " << GetLastError();
}

}  // namespace

TestWindow::TestWindow(Handler handler) : handler_(std::move(handler)) {
  registerClassOnce();
  window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(window_, nullptr) << "error " << GetLastError();
  if (!window_) return;
  // The procedure is set only now, so that the creation messages go to the default one.
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TestWindow::procedure));
}

TestWindow::~TestWindow() {
  if (window_) {
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    DestroyWindow(window_);
  }
  drainQueue();
}

LRESULT CALLBACK TestWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return self->handler_(message, wParam, lParam);
}

void drainQueue() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace vs::test
