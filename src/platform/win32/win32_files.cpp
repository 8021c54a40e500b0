// Files and directories on the real machine: find-first/find-next listings, drive types, the
// runtime's existence and read tests, read-only file handles opened with the sharing that the
// runtime's _open uses (so that a file another program is writing can still be examined), files
// opened for writing, copies, short names and deletion at the next start; and on the NT line the
// same through the wide calls, for names the ANSI code page cannot spell and paths of any length.
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/win32/file_position.h"
#include "platform/win32/handle.h"
#include "platform/win32/wide_calls.h"
#include "platform/win32/win32_platform.h"

namespace vs {
namespace {

static_assert(kErrorFileExists == ERROR_FILE_EXISTS);
static_assert(kErrorDiskFull == ERROR_DISK_FULL);
static_assert(kErrorNegativeSeek == ERROR_NEGATIVE_SEEK);

static_assert(kErrorCallNotImplemented == ERROR_CALL_NOT_IMPLEMENTED);
static_assert(kErrorFilenameExcedRange == ERROR_FILENAME_EXCED_RANGE);

using win32::wideCalls;

// The 9x line lists through FindFirstFileA, which shows "?" for a character that the code page
// cannot spell: no real name holds one.
void fillEntry(DirectoryEntry& entry, const WIN32_FIND_DATAA& data) {
  const std::size_t length = strnlen(data.cFileName, sizeof entry.name - 1);
  std::memcpy(entry.name, data.cFileName, length);
  entry.name[length] = '\0';
  entry.attributes = data.dwFileAttributes;
  entry.size = std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
  entry.ansiNameLost = std::memchr(entry.name, '?', length) != nullptr;
  entry.wideName[0] = u'\0';
}

void copyWideName(DirectoryEntry& entry, const wchar_t* name, std::size_t length) {
  const std::size_t kept =
      length < sizeof entry.wideName / 2 ? length : sizeof entry.wideName / 2 - 1;
  std::memcpy(entry.wideName, name, kept * sizeof(wchar_t));
  entry.wideName[kept] = u'\0';
}

// The NT line lists through FindFirstFileW and gives each name in the ANSI code page as
// FindFirstFileA would. A name whose ANSI form does not convert back to it (a character the code
// page lacks, shown as "?" or a look-alike), that holds the replacement character (which stands
// for what could not be converted), or whose ANSI form does not fit, keeps its wide name: the ANSI
// calls cannot reach it. A wide listing gives every entry its wide name.
void fillEntry(DirectoryEntry& entry, const WIN32_FIND_DATAW& data, bool wideListing) {
  entry.attributes = data.dwFileAttributes;
  entry.size = std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
  const wchar_t* name = data.cFileName;
  const std::size_t length = wcsnlen(name, MAX_PATH - 1);
  bool ascii = true;
  for (std::size_t i = 0; i < length && ascii; ++i) ascii = name[i] < 0x80;
  bool lost = false;
  if (ascii) {
    // Every ANSI code page spells ASCII as itself.
    for (std::size_t i = 0; i < length; ++i) entry.name[i] = static_cast<char>(name[i]);
    entry.name[length] = '\0';
  } else {
    char converted[MAX_PATH * 3];
    const int bytes = WideCharToMultiByte(CP_ACP, 0, name, static_cast<int>(length), converted,
                                          sizeof converted, nullptr, nullptr);
    const std::size_t kept = bytes <= 0 ? 0
                                        : (static_cast<std::size_t>(bytes) < sizeof entry.name
                                               ? static_cast<std::size_t>(bytes)
                                               : sizeof entry.name - 1);
    std::memcpy(entry.name, converted, kept);
    entry.name[kept] = '\0';
    wchar_t back[MAX_PATH];
    const int units = kept == static_cast<std::size_t>(bytes)
                          ? MultiByteToWideChar(CP_ACP, 0, converted, bytes, back, MAX_PATH)
                          : 0;
    lost = units != static_cast<int>(length) || std::wmemcmp(back, name, length) != 0 ||
           std::wmemchr(name, 0xFFFD, length);
  }
  entry.ansiNameLost = lost;
  entry.wideName[0] = u'\0';
  if (lost || wideListing) copyWideName(entry, name, length);
}

// FindFirstFile has already produced the first entry when the listing is made; it is handed out
// by the first call of next().
class Win32Listing : public DirectoryListing {
 public:
  Win32Listing(win32::FindHandle handle, const WIN32_FIND_DATAA& first, std::uint32_t& lastError)
      : handle_(std::move(handle)), data_(first), lastError_(lastError) {}

  bool next(DirectoryEntry& entry) override {
    if (!firstPending_ && !FindNextFileA(handle_.get(), &data_)) {
      lastError_ = GetLastError();
      return false;
    }
    firstPending_ = false;
    fillEntry(entry, data_);
    return true;
  }

 private:
  win32::FindHandle handle_;
  WIN32_FIND_DATAA data_;
  bool firstPending_ = true;
  std::uint32_t& lastError_;
};

class Win32WideListing : public DirectoryListing {
 public:
  Win32WideListing(win32::FindHandle handle, const WIN32_FIND_DATAW& first, bool wideListing,
                   std::uint32_t& lastError)
      : handle_(std::move(handle)),
        data_(first),
        wideListing_(wideListing),
        lastError_(lastError) {}

  bool next(DirectoryEntry& entry) override {
    if (!firstPending_ && !wideCalls().findNextFile(handle_.get(), &data_)) {
      lastError_ = GetLastError();
      return false;
    }
    firstPending_ = false;
    fillEntry(entry, data_, wideListing_);
    return true;
  }

 private:
  win32::FindHandle handle_;
  WIN32_FIND_DATAW data_;
  bool firstPending_ = true;
  bool wideListing_;
  std::uint32_t& lastError_;
};

class Win32File : public ReadableFile {
 public:
  Win32File(win32::FileHandle handle, std::uint32_t& lastError)
      : handle_(std::move(handle)), lastError_(lastError) {}

  std::int64_t length() override {
    const std::int64_t length = win32::fileLength(handle_.get());
    return length >= 0 ? length : failed(std::int64_t{-1});
  }

  bool seek(std::int64_t offset) override {
    return win32::setFilePosition(handle_.get(), offset, FILE_BEGIN) || failed(false);
  }

  std::int32_t read(void* buffer, std::uint32_t count) override {
    // The result must fit the signed count; larger requests are served in part, as a short read.
    const DWORD wanted = count > 0x7FFFFFFFu ? 0x7FFFFFFFu : count;
    DWORD got = 0;
    if (!ReadFile(handle_.get(), buffer, wanted, &got, nullptr)) return failed(-1);
    return static_cast<std::int32_t>(got);
  }

 private:
  template <typename T>
  T failed(T result) {
    lastError_ = GetLastError();
    return result;
  }

  win32::FileHandle handle_;
  std::uint32_t& lastError_;
};

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

}  // namespace

bool Win32Platform::failed() {
  lastError_ = GetLastError();
  return false;
}

std::unique_ptr<DirectoryListing> Win32Platform::listDirectory(const char* pattern) {
  if (wideCalls().available) {
    // The pattern the ANSI call would take, converted as it would convert it.
    wchar_t widePattern[MAX_PATH + 1];
    const int units = MultiByteToWideChar(CP_ACP, 0, pattern, -1, widePattern, MAX_PATH + 1);
    if (units == 0) {
      lastError_ = ERROR_FILENAME_EXCED_RANGE;
      return nullptr;
    }
    return listWide(widePattern, false);
  }
  WIN32_FIND_DATAA first;
  win32::FindHandle handle(FindFirstFileA(pattern, &first));
  if (!handle) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32Listing>(std::move(handle), first, lastError_);
}

std::unique_ptr<DirectoryListing> Win32Platform::listWide(const wchar_t* pattern,
                                                          bool wideListing) {
  WIN32_FIND_DATAW first;
  win32::FindHandle handle(wideCalls().findFirstFile(pattern, &first));
  if (!handle) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32WideListing>(std::move(handle), first, wideListing, lastError_);
}

bool Win32Platform::hasWideFileCalls() {
  return wideCalls().available;
}

bool Win32Platform::refusedWide(const char16_t* path) {
  if (!wideCalls().available) {
    lastError_ = ERROR_CALL_NOT_IMPLEMENTED;
    return true;
  }
  if (std::char_traits<char16_t>::length(path) > static_cast<std::size_t>(kMaxWidePath)) {
    lastError_ = ERROR_FILENAME_EXCED_RANGE;
    return true;
  }
  return false;
}

std::unique_ptr<DirectoryListing> Win32Platform::listDirectoryWide(const char16_t* pattern) {
  if (refusedWide(pattern)) return nullptr;
  return listWide(win32::extendedPath(pattern).c_str(), true);
}

bool Win32Platform::pathExistsWide(const char16_t* path) {
  if (refusedWide(path)) return false;
  return wideCalls().getFileAttributes(win32::extendedPath(path).c_str()) !=
             INVALID_FILE_ATTRIBUTES ||
         failed();
}

std::unique_ptr<ReadableFile> Win32Platform::openForReadingWide(const char16_t* path) {
  if (refusedWide(path)) return nullptr;
  win32::FileHandle handle(wideCalls().createFile(win32::extendedPath(path).c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32File>(std::move(handle), lastError_);
}

bool Win32Platform::setFileAttributesWide(const char16_t* path, std::uint32_t attributes) {
  if (refusedWide(path)) return false;
  return wideCalls().setFileAttributes(win32::extendedPath(path).c_str(), attributes) || failed();
}

bool Win32Platform::deleteFileWide(const char16_t* path) {
  if (refusedWide(path)) return false;
  return wideCalls().deleteFile(win32::extendedPath(path).c_str()) || failed();
}

bool Win32Platform::deleteAtRebootWide(const char16_t* path) {
  if (refusedWide(path)) return false;
  return wideCalls().moveFileEx(win32::extendedPath(path).c_str(), nullptr,
                                MOVEFILE_DELAY_UNTIL_REBOOT) ||
         failed();
}

unsigned Win32Platform::driveType(const char* root) {
  return GetDriveTypeA(root);
}

// The runtime's _access takes the attributes and, for mode 0 and mode 4 alike, succeeds whenever
// there are any: Windows has no attribute that forbids reading. Asking for the attributes here
// keeps that meaning and leaves the system's error code intact for lastError().
bool Win32Platform::pathExists(const char* path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES || failed();
}

bool Win32Platform::isReadable(const char* path) {
  return pathExists(path);
}

std::unique_ptr<ReadableFile> Win32Platform::openForReading(const char* path) {
  win32::FileHandle handle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32File>(std::move(handle), lastError_);
}

bool Win32Platform::setFileAttributes(const char* path, std::uint32_t attributes) {
  return SetFileAttributesA(path, attributes) || failed();
}

bool Win32Platform::deleteFile(const char* path) {
  return DeleteFileA(path) || failed();
}

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

std::uint32_t Win32Platform::shortPathName(const char* path, char* buffer, std::uint32_t size) {
  const DWORD result = GetShortPathNameA(path, buffer, size);
  if (result == 0) failed();
  return result;
}

}  // namespace vs
