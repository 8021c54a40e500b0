// What the program asks of the system as a whole: its version and folders, the environment and the
// ANSI code page, the process token and the restart, the clock, and the program's own end.
#pragma once

#include <cstdint>
#include <memory>

namespace vs {

// Platform identifiers of the version query (dwPlatformId).
constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWin32Windows = 1;
constexpr std::uint32_t kPlatformWin32Nt = 2;

// Access rights, privilege attributes and restart flags of the token road and ExitWindowsEx.
constexpr std::uint32_t kTokenQuery = 0x0008;
constexpr std::uint32_t kTokenAdjustPrivileges = 0x0020;
constexpr std::uint32_t kSePrivilegeEnabled = 0x0002;
constexpr std::uint32_t kEwxReboot = 0x0002;
constexpr std::uint32_t kEwxForce = 0x0004;

// What GetVersionExA reports, as far as the program reads it.
struct VersionInfo {
  std::uint32_t platformId = 0;
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
};

// A locally unique identifier (LUID) of a privilege.
struct PrivilegeId {
  std::uint32_t lowPart = 0;
  std::int32_t highPart = 0;
};

// The open access token of the current process; destroying it closes the handle.
class AccessToken {
 public:
  virtual ~AccessToken() = default;
  // AdjustTokenPrivileges with one privilege, no previous state asked for. Like the system call it
  // leaves lastError() set even when it succeeds: 0, or kErrorNotAllAssigned when the account
  // does not hold the privilege.
  virtual bool adjustPrivilege(const PrivilegeId& privilege, std::uint32_t attributes) = 0;
};

class SystemInformation {
 public:
  virtual ~SystemInformation() = default;

  // GetVersionExA with an OSVERSIONINFOA record; false when the query fails.
  virtual bool version(VersionInfo& info) = 0;
  // GetWindowsDirectoryA, GetSystemDirectoryA and GetTempPathA (ends with a backslash): the
  // length of the text written, the size needed (terminator included) when the buffer is too
  // small, or 0 on failure.
  virtual std::uint32_t windowsDirectory(char* buffer, std::uint32_t size) = 0;
  virtual std::uint32_t systemDirectory(char* buffer, std::uint32_t size) = 0;
  virtual std::uint32_t tempPath(char* buffer, std::uint32_t size) = 0;
  // ExpandEnvironmentStringsA: the size needed (terminator included); when it exceeds size the
  // buffer does not hold the expansion. 0 on failure.
  virtual std::uint32_t expandEnvironmentStrings(const char* source, char* destination,
                                                 std::uint32_t size) = 0;
  // ExpandEnvironmentStringsW: the same contract in UTF-16 units.
  virtual std::uint32_t expandEnvironmentStringsWide(const char16_t* source, char16_t* destination,
                                                     std::uint32_t size) = 0;
  // WideCharToMultiByte to the ANSI code page, no flags. length -1 converts up to and with the
  // terminator. Returns the bytes written, 0 on failure (also when the result does not fit).
  virtual int wideToAnsi(const char16_t* text, int length, char* out, int capacity) = 0;
  // MultiByteToWideChar from the ANSI code page, no flags: the same contract the other way.
  virtual int ansiToWide(const char* text, int length, char16_t* out, int capacity) = 0;

  // OpenProcessToken on the current process; null when it cannot be opened.
  virtual std::unique_ptr<AccessToken> openProcessToken(std::uint32_t desiredAccess) = 0;
  // LookupPrivilegeValueA on the local system.
  virtual bool lookupPrivilegeValue(const char* name, PrivilegeId& privilege) = 0;
  // ExitWindowsEx: starts the shutdown or restart and returns; the system ends the program later.
  virtual bool exitWindows(std::uint32_t flags, std::uint32_t reserved) = 0;

  // Blocks the thread; the window is not serviced meanwhile.
  virtual void sleep(unsigned milliseconds) = 0;
  // Milliseconds since the system started (GetTickCount); wraps after 49.7 days.
  virtual std::uint32_t tickCount() = 0;
  // ExitProcess: the program ends at once with this status. The simulated machine records the
  // request and returns, so a caller returns straight away after asking.
  virtual void exitProcess(unsigned exitCode) = 0;
};

}  // namespace vs
