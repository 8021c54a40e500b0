#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine/utf16_text.h"
#include "platform/linux/hive_key.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/variable_expansion.h"

namespace vs::linux_host {

LinuxPlatform::LinuxPlatform(const MountedDrives& drives, WindowSink sink,
                             const volatile std::sig_atomic_t* interrupt)
    : drives_(drives), sink_(std::move(sink)), interrupt_(interrupt) {}

void LinuxPlatform::setInstallation(const WindowsInstallation& installation) {
  windowsFolder_ = installation.windowsFolder;
  systemFolder_ = installation.systemFolder;
}

std::uint32_t LinuxPlatform::answerText(const std::string& text, char* buffer, std::uint32_t size) {
  if (text.empty()) {
    fail(kErrorFileNotFound);
    return 0;
  }
  const auto length = static_cast<std::uint32_t>(text.size());
  if (length >= size) return length + 1;
  std::memcpy(buffer, text.c_str(), length + 1);
  return length;
}

std::uint32_t LinuxPlatform::windowsDirectory(char* buffer, std::uint32_t size) {
  return answerText(windowsFolder_, buffer, size);
}

std::uint32_t LinuxPlatform::systemDirectory(char* buffer, std::uint32_t size) {
  return answerText(systemFolder_, buffer, size);
}

// No temporary folder and no short names: only the 9x line's reboot-time road asks for them.
std::uint32_t LinuxPlatform::tempPath(char*, std::uint32_t) {
  fail(kErrorPathNotFound);
  return 0;
}

std::uint32_t LinuxPlatform::shortPathName(const char*, char*, std::uint32_t) {
  fail(kErrorFileNotFound);
  return 0;
}

bool LinuxPlatform::version(VersionInfo& info) {
  // The SOFTWARE hive in System32\config is the NT line's; which version it is does not matter to
  // the cleaning. Without an installation the family is unknown and no hosts file is examined.
  if (windowsFolder_.empty()) return fail(kErrorFileNotFound);
  info = VersionInfo{kPlatformWin32Nt, 5, 1};
  return true;
}

// Tokens, privileges and the restart belong to a running system.
std::unique_ptr<AccessToken> LinuxPlatform::openProcessToken(std::uint32_t) {
  fail(kErrorAccessDenied);
  return nullptr;
}

bool LinuxPlatform::lookupPrivilegeValue(const char*, PrivilegeId&) {
  return fail(kErrorAccessDenied);
}

bool LinuxPlatform::exitWindows(std::uint32_t, std::uint32_t) {
  return fail(kErrorAccessDenied);
}

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

void LinuxPlatform::sleep(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint32_t LinuxPlatform::tickCount() {
  const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

int LinuxPlatform::messageBox(const char* text, const char* caption, unsigned) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  return kIdOk;
}

void LinuxPlatform::exitProcess(unsigned exitCode) {
  std::fflush(nullptr);
  std::exit(static_cast<int>(exitCode));
}

std::int32_t LinuxPlatform::openMachineKey(const char* path, std::uint32_t access,
                                           std::unique_ptr<RegistryKey>& key) {
  return openSoftwareKey(hive_, path, access, key);
}

// Only values of the SOFTWARE hive are removed; service keys belong to services that run.
std::int32_t LinuxPlatform::deleteMachineKey(const char*) {
  return static_cast<std::int32_t>(kErrorAccessDenied);
}

std::unique_ptr<RegistryKey> LinuxPlatform::performanceData() {
  return nullptr;
}

std::uint32_t LinuxPlatform::expandEnvironmentStrings(const char* source, char* destination,
                                                      std::uint32_t size) {
  const std::string expanded = expandWindowsVariables(source, windowsFolder_);
  const auto needed = static_cast<std::uint32_t>(expanded.size() + 1);
  if (needed <= size) std::memcpy(destination, expanded.c_str(), needed);
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

// No program runs on the system being scanned.
std::unique_ptr<ServiceManager> LinuxPlatform::openServiceManager(std::uint32_t) {
  fail(kErrorAccessDenied);
  return nullptr;
}

std::unique_ptr<ToolhelpLibrary> LinuxPlatform::loadToolhelp() {
  fail(kErrorProcNotFound);
  return nullptr;
}

std::unique_ptr<PsapiLibrary> LinuxPlatform::loadPsapi() {
  fail(kErrorProcNotFound);
  return nullptr;
}

std::unique_ptr<ProcessHandle> LinuxPlatform::openProcess(std::uint32_t, std::uint32_t) {
  fail(kErrorInvalidParameter);
  return nullptr;
}

}  // namespace vs::linux_host
