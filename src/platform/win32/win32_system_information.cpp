// The system as a whole on the real machine: the version query, the system's folders, environment
// expansion and the ANSI code page, the process token and the restart, the clock and the
// program's end. Every call used here exists on the 9x line as well as on the NT line (the 9x line
// answers the NT-only ones with a failure), so one executable starts on both.
#include <windows.h>

#include <memory>
#include <utility>

#include "platform/win32/handle.h"
#include "platform/win32/wide_calls.h"
#include "platform/win32/win32_platform.h"

namespace vs {
namespace {

static_assert(kErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED);
static_assert(kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(kPlatformWin32Windows == VER_PLATFORM_WIN32_WINDOWS);
static_assert(kPlatformWin32Nt == VER_PLATFORM_WIN32_NT);
static_assert(kTokenQuery == TOKEN_QUERY && kTokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES);
static_assert(kSePrivilegeEnabled == SE_PRIVILEGE_ENABLED);
static_assert(kEwxReboot == EWX_REBOOT && kEwxForce == EWX_FORCE);
static_assert(sizeof(wchar_t) == sizeof(char16_t));
// The version record as the 9x line knows it: GetVersionExA there refuses any other size.
static_assert(sizeof(OSVERSIONINFOA) == 148);

using TokenHandle = win32::KernelHandle;

class Win32AccessToken : public AccessToken {
 public:
  Win32AccessToken(TokenHandle handle, std::uint32_t& lastError)
      : handle_(std::move(handle)), lastError_(lastError) {}

  bool adjustPrivilege(const PrivilegeId& privilege, std::uint32_t attributes) override {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = privilege.lowPart;
    privileges.Privileges[0].Luid.HighPart = privilege.highPart;
    privileges.Privileges[0].Attributes = attributes;
    const BOOL done = AdjustTokenPrivileges(handle_.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // Success leaves its own code too: ERROR_NOT_ALL_ASSIGNED when the privilege is not held.
    lastError_ = GetLastError();
    return done != FALSE;
  }

 private:
  TokenHandle handle_;
  std::uint32_t& lastError_;
};

}  // namespace

bool Win32Platform::version(VersionInfo& info) {
  OSVERSIONINFOA record{};
  record.dwOSVersionInfoSize = sizeof record;
  if (!GetVersionExA(&record)) return failed();
  info.platformId = record.dwPlatformId;
  info.majorVersion = record.dwMajorVersion;
  info.minorVersion = record.dwMinorVersion;
  return true;
}

std::unique_ptr<AccessToken> Win32Platform::openProcessToken(std::uint32_t desiredAccess) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), desiredAccess, &raw)) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32AccessToken>(TokenHandle(raw), lastError_);
}

bool Win32Platform::lookupPrivilegeValue(const char* name, PrivilegeId& privilege) {
  LUID luid{};
  if (!LookupPrivilegeValueA(nullptr, name, &luid)) return failed();
  privilege.lowPart = luid.LowPart;
  privilege.highPart = luid.HighPart;
  return true;
}

bool Win32Platform::exitWindows(std::uint32_t flags, std::uint32_t reserved) {
  return ExitWindowsEx(flags, reserved) || failed();
}

std::uint32_t Win32Platform::windowsDirectory(char* buffer, std::uint32_t size) {
  const UINT result = GetWindowsDirectoryA(buffer, size);
  if (result == 0) failed();
  return result;
}

std::uint32_t Win32Platform::tempPath(char* buffer, std::uint32_t size) {
  const DWORD result = GetTempPathA(size, buffer);
  if (result == 0) failed();
  return result;
}

std::uint32_t Win32Platform::systemDirectory(char* buffer, std::uint32_t size) {
  const UINT result = GetSystemDirectoryA(buffer, size);
  if (result == 0) failed();
  return result;
}

std::uint32_t Win32Platform::expandEnvironmentStrings(const char* source, char* destination,
                                                      std::uint32_t size) {
  const DWORD result = ExpandEnvironmentStringsA(source, destination, size);
  if (result == 0) failed();
  return result;
}

std::uint32_t Win32Platform::expandEnvironmentStringsWide(const char16_t* source,
                                                          char16_t* destination,
                                                          std::uint32_t size) {
  if (!win32::wideCalls().available) {
    lastError_ = ERROR_CALL_NOT_IMPLEMENTED;
    return 0;
  }
  const DWORD result = win32::wideCalls().expandEnvironmentStrings(
      reinterpret_cast<const wchar_t*>(source), reinterpret_cast<wchar_t*>(destination), size);
  if (result == 0) failed();
  return result;
}

int Win32Platform::wideToAnsi(const char16_t* text, int length, char* out, int capacity) {
  const int result = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), length,
                                         out, capacity, nullptr, nullptr);
  if (result == 0) failed();
  return result;
}

int Win32Platform::ansiToWide(const char* text, int length, char16_t* out, int capacity) {
  const int result =
      MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<wchar_t*>(out), capacity);
  if (result == 0) failed();
  return result;
}

void Win32Platform::sleep(unsigned milliseconds) {
  noticeBlocking();
  Sleep(milliseconds);
}

std::uint32_t Win32Platform::tickCount() {
  return GetTickCount();
}

void Win32Platform::exitProcess(unsigned exitCode) {
  ExitProcess(exitCode);
}

}  // namespace vs
