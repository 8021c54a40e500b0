// A message-only window of the test's own that hands every message it receives to a callback:
// it stands in for the main window where the engine sends or the queue delivers.
#pragma once

#include <windows.h>

#include <functional>

namespace vs::test {

class TestWindow {
 public:
  // The callback's result is the window procedure's result.
  using Handler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

  explicit TestWindow(Handler handler);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND handle() const { return window_; }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Handler handler_;
  HWND window_ = nullptr;
};

// Takes every message left in the thread's queue, so that one test's messages cannot reach the
// next.
void drainQueue();

}  // namespace vs::test
