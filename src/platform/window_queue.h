// The main window and the thread's message queue, as the engine reaches them during a scan, and
// the message boxes it shows.
#pragma once

#include <cstdint>

namespace vs {

using WindowHandle = std::uintptr_t;

// Window messages the engine takes from the queue or sends.
constexpr std::uint32_t kMsgDestroy = 0x0002;
constexpr std::uint32_t kMsgQuit = 0x0012;

// Message-box types and answers.
constexpr unsigned kMbOk = 0;
constexpr unsigned kMbOkCancel = 0x01;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbYesNoQuestion = 36;
constexpr unsigned kMbOkCancelInformation = 0x41;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

struct WindowMessage {
  WindowHandle window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

class WindowQueue {
 public:
  virtual ~WindowQueue() = default;

  // Sends synchronously: returns once the window has handled the message.
  virtual std::intptr_t sendMessage(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // Takes one message from the queue, if any (PeekMessage with removal).
  virtual bool peekMessage(WindowMessage& message) = 0;
  // Translates and dispatches a message taken from the queue.
  virtual void dispatchMessage(const WindowMessage& message) = 0;
  // The tool's own message box; answers with the system's button codes.
  virtual int skinMessageBox(const char* text, const char* caption, unsigned type) = 0;
  // The system's plain message box (MessageBoxA without an owner window).
  virtual int messageBox(const char* text, const char* caption, unsigned type) = 0;
};

}  // namespace vs
