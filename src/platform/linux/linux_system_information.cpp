// The installation as a system: its folders, its version line, the expansion of the variables
// that name its Windows folder, and UTF-8 as its code page; the clock and the program's end are
// this host's.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/linux/linux_platform.h"
#include "platform/linux/variable_expansion.h"
#include "platform/utf16_text.h"
#include "platform/windows_text.h"

namespace vs::linux_host {

LinuxPlatform::LinuxPlatform(WindowSink sink, const volatile std::sig_atomic_t* interrupt)
    : sink_(std::move(sink)), interrupt_(interrupt) {}

void LinuxPlatform::setInstallation(const WindowsInstallation& installation) {
  windowsFolder_ = installation.windowsFolder;
  systemFolder_ = installation.systemFolder;
}

std::uint32_t LinuxPlatform::answerFolder(const std::string& folder, char* buffer,
                                          std::uint32_t size) {
  const std::uint32_t result = answerText(folder, buffer, size);
  if (result == 0) fail(kErrorFileNotFound);
  return result;
}

bool LinuxPlatform::version(VersionInfo& info) {
  // The SOFTWARE hive in System32\config is the NT line's; which version it is does not matter to
  // the cleaning. Without an installation the family is unknown and no hosts file is examined.
  if (windowsFolder_.empty()) return fail(kErrorFileNotFound);
  info = VersionInfo{kPlatformWin32Nt, 5, 1};
  return true;
}

std::uint32_t LinuxPlatform::windowsDirectory(char* buffer, std::uint32_t size) {
  return answerFolder(windowsFolder_, buffer, size);
}

std::uint32_t LinuxPlatform::systemDirectory(char* buffer, std::uint32_t size) {
  return answerFolder(systemFolder_, buffer, size);
}

// No temporary folder: only the 9x line's reboot-time road asks for it.
std::uint32_t LinuxPlatform::tempPath(char*, std::uint32_t) {
  fail(kErrorPathNotFound);
  return 0;
}

std::uint32_t LinuxPlatform::expandEnvironmentStrings(const char* source, char* destination,
                                                      std::uint32_t size) {
  const std::string expanded = expandWindowsVariables(source, windowsFolder_);
  const auto needed = static_cast<std::uint32_t>(expanded.size() + 1);
  if (needed <= size) std::memcpy(destination, expanded.c_str(), needed);
  return needed;
}

std::uint32_t LinuxPlatform::expandEnvironmentStringsWide(const char16_t* source,
                                                          char16_t* destination,
                                                          std::uint32_t size) {
  const std::u16string text = source;
  const std::string expanded =
      expandWindowsVariables(utf16ToUtf8(text.data(), text.size()), windowsFolder_);
  const std::u16string wide = utf8ToUtf16(expanded.data(), expanded.size());
  const auto needed = static_cast<std::uint32_t>(wide.size() + 1);
  if (needed <= size) std::copy(wide.c_str(), wide.c_str() + needed, destination);
  return needed;
}

int LinuxPlatform::wideToAnsi(const char16_t* text, int length, char* out, int capacity) {
  std::size_t count = 0;
  if (length >= 0) {
    count = static_cast<std::size_t>(length);
  } else {
    while (text[count]) ++count;
    ++count;  // the terminator too
  }
  const std::string converted = utf16ToUtf8(text, count);
  if (capacity < 0 || converted.size() > static_cast<std::size_t>(capacity)) {
    fail(kErrorInsufficientBuffer);
    return 0;
  }
  std::memcpy(out, converted.data(), converted.size());
  return static_cast<int>(converted.size());
}

// The names of the mounted volumes, which stand for the ANSI text here, are UTF-8.
int LinuxPlatform::ansiToWide(const char* text, int length, char16_t* out, int capacity) {
  const std::size_t count = length >= 0 ? static_cast<std::size_t>(length) : std::strlen(text) + 1;
  const std::u16string converted = utf8ToUtf16(text, count);
  if (capacity < 0 || converted.size() > static_cast<std::size_t>(capacity)) {
    fail(kErrorInsufficientBuffer);
    return 0;
  }
  std::copy(converted.begin(), converted.end(), out);
  return static_cast<int>(converted.size());
}

void LinuxPlatform::sleep(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint32_t LinuxPlatform::tickCount() {
  const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void LinuxPlatform::exitProcess(unsigned exitCode) {
  std::fflush(nullptr);
  std::exit(static_cast<int>(exitCode));
}

}  // namespace vs::linux_host
