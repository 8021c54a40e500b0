// The main window of the offline scan: the caller's sink takes every message, an interrupt is the
// one message the queue ever holds, and no box waits for a person.
#include <cstdio>

#include "platform/linux/linux_platform.h"

namespace vs::linux_host {

std::intptr_t LinuxPlatform::sendMessage(WindowHandle, std::uint32_t message, std::uintptr_t,
                                         std::intptr_t) {
  sink_(message);
  return 0;
}

bool LinuxPlatform::peekMessage(WindowMessage& message) {
  if (!*interrupt_ || quitDelivered_) return false;
  quitDelivered_ = true;
  message = WindowMessage{0, kMsgQuit, 0, 0};
  return true;
}

void LinuxPlatform::dispatchMessage(const WindowMessage&) {}

// Only the restart question could be asked; there is nothing to restart.
int LinuxPlatform::skinMessageBox(const char*, const char*, unsigned) {
  return kIdNo;
}

int LinuxPlatform::messageBox(const char* text, const char* caption, unsigned) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  return kIdOk;
}

}  // namespace vs::linux_host
