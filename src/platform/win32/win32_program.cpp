// The program's own end and the system's plain message box.
#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace vs {

static_assert(kMbOk == MB_OK && kMbOkCancelInformation == (MB_OKCANCEL | MB_ICONINFORMATION));

int Win32Platform::messageBox(const char* text, const char* caption, unsigned type) {
  noticeBlocking();
  return MessageBoxA(nullptr, text, caption, type);
}

void Win32Platform::exitProcess(unsigned exitCode) {
  ExitProcess(exitCode);
}

}  // namespace vs
