// The main window's side of the real machine: synchronous sends, the thread's message queue, the
// tool's own message box and the system's plain one.
#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace vs {

static_assert(kMbOk == MB_OK && kMbOkCancelInformation == (MB_OKCANCEL | MB_ICONINFORMATION));
static_assert(kMbOkCancel == MB_OKCANCEL && kMbYesNo == MB_YESNO && kIdCancel == IDCANCEL);

std::intptr_t Win32Platform::sendMessage(WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
  // A scan without a window (the benchmarks' headless one) sends a status text for every entry:
  // the system would answer 0 for no window, after a call that costs more than the entry.
  if (!window) return 0;
  return SendMessageA(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam));
}

bool Win32Platform::peekMessage(WindowMessage& message) {
  MSG taken;
  if (!PeekMessageA(&taken, nullptr, 0, 0, PM_REMOVE)) return false;
  message.window = reinterpret_cast<WindowHandle>(taken.hwnd);
  message.message = taken.message;
  message.wParam = taken.wParam;
  message.lParam = taken.lParam;
  return true;
}

void Win32Platform::dispatchMessage(const WindowMessage& message) {
  MSG msg{};
  msg.hwnd = reinterpret_cast<HWND>(message.window);
  msg.message = message.message;
  msg.wParam = static_cast<WPARAM>(message.wParam);
  msg.lParam = static_cast<LPARAM>(message.lParam);
  // The message was taken by the last peek, so the thread's queue still knows its time and place.
  msg.time = static_cast<DWORD>(GetMessageTime());
  const DWORD position = GetMessagePos();
  msg.pt.x = static_cast<short>(LOWORD(position));
  msg.pt.y = static_cast<short>(HIWORD(position));
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

int Win32Platform::skinMessageBox(const char* text, const char* caption, unsigned type) {
  noticeBlocking();
  if (messageBox_) return messageBox_(text, caption, type);
  return MessageBoxA(GetActiveWindow(), text, caption, type);
}

int Win32Platform::messageBox(const char* text, const char* caption, unsigned type) {
  noticeBlocking();
  return MessageBoxA(nullptr, text, caption, type);
}

}  // namespace vs
