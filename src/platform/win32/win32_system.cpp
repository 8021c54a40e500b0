// The system side of the real machine: writing files, copies, deletion at the next start, the
// system's folders and short names, the version query, the process token and the restart. Every
// call used here exists on the 9x line as well as on the NT line (the 9x line answers the NT-only
// ones with a failure), so one executable starts on both.
#include <windows.h>

#include <memory>
#include <utility>

#include "platform/win32/file_position.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"

namespace vs {
namespace {

static_assert(kErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED);
static_assert(kErrorFileExists == ERROR_FILE_EXISTS);
static_assert(kErrorDiskFull == ERROR_DISK_FULL);
static_assert(kPlatformWin32Windows == VER_PLATFORM_WIN32_WINDOWS);
static_assert(kPlatformWin32Nt == VER_PLATFORM_WIN32_NT);
static_assert(kTokenQuery == TOKEN_QUERY && kTokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES);
static_assert(kSePrivilegeEnabled == SE_PRIVILEGE_ENABLED);
static_assert(kEwxReboot == EWX_REBOOT && kEwxForce == EWX_FORCE);
// The version record as the 9x line knows it: GetVersionExA there refuses any other size.
static_assert(sizeof(OSVERSIONINFOA) == 148);

using TokenHandle = win32::KernelHandle;

class Win32WritableFile : public WritableFile {
 public:
  Win32WritableFile(win32::FileHandle handle, std::uint32_t& lastError)
      : handle_(std::move(handle)), lastError_(lastError) {}

  std::int32_t write(const void* data, std::uint32_t count) override {
    const DWORD wanted = count > 0x7FFFFFFFu ? 0x7FFFFFFFu : count;
    DWORD written = 0;
    if (!WriteFile(handle_.get(), data, wanted, &written, nullptr)) {
      lastError_ = GetLastError();
      // A full disk can take part of the text before it fails; that part counts as written.
      return written > 0 ? static_cast<std::int32_t>(written) : -1;
    }
    return static_cast<std::int32_t>(written);
  }

  bool seek(std::int64_t offset) override {
    if (offset < 0) return fail(ERROR_NEGATIVE_SEEK);
    return win32::setFilePosition(handle_.get(), offset, FILE_BEGIN) || fail(GetLastError());
  }

  bool truncate() override { return SetEndOfFile(handle_.get()) || fail(GetLastError()); }

 private:
  bool fail(DWORD error) {
    lastError_ = error;
    return false;
  }

  win32::FileHandle handle_;
  std::uint32_t& lastError_;
};

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

bool Win32Platform::copyFile(const char* source, const char* destination) {
  return CopyFileA(source, destination, FALSE) || failed();
}

std::unique_ptr<WritableFile> Win32Platform::openForWriting(const char* path, WriteMode mode) {
  const DWORD disposition = mode == WriteMode::CreateNew         ? CREATE_NEW
                            : mode == WriteMode::CreateOrReplace ? CREATE_ALWAYS
                                                                 : OPEN_EXISTING;
  win32::FileHandle handle(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32WritableFile>(std::move(handle), lastError_);
}

bool Win32Platform::deleteAtReboot(const char* path) {
  return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) || failed();
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

std::uint32_t Win32Platform::shortPathName(const char* path, char* buffer, std::uint32_t size) {
  const DWORD result = GetShortPathNameA(path, buffer, size);
  if (result == 0) failed();
  return result;
}

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

}  // namespace vs
