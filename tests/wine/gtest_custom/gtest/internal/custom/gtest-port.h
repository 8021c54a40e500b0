// GoogleTest's hook for platform additions, found before its own empty one. Its Notification (a
// start signal for threads) is written with std::mutex and std::condition_variable, which the
// MinGW compiler's "win32" thread model lacks; this one waits on a Win32 event instead.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;  // a manual-reset event
};

}  // namespace testing::internal
