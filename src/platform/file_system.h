// Files, directories and drives, as the system's ANSI file calls give them, and the wide calls of
// the NT line for what those cannot reach. Paths are Windows paths in the ANSI code page
// ("C:\dir\file.exe"), or wide paths in UTF-16 for the wide calls.
#pragma once

#include <cstdint>
#include <memory>

namespace vs {

// Windows paths in the ANSI code page: buffers hold 260 characters including the terminator.
constexpr int kMaxPath = 260;

// The longest wide path, in UTF-16 units without the terminator. Wide paths are full paths from a
// drive letter ("C:\dir\name"); the real backend hands them to the system with the "\\?\"
// prefix, which lifts the ANSI calls' 260-character limit and takes every name as the file system
// keeps it.
constexpr int kMaxWidePath = 32767;

// File attribute bits as the system reports them.
constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrHidden = 0x02;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrReparsePoint = 0x400;

// Drive types of GetDriveTypeA.
constexpr unsigned kDriveUnknown = 0;
constexpr unsigned kDriveNoRootDir = 1;
constexpr unsigned kDriveRemovable = 2;
constexpr unsigned kDriveFixed = 3;
constexpr unsigned kDriveRemote = 4;
constexpr unsigned kDriveCdrom = 5;
constexpr unsigned kDriveRamdisk = 6;

// One entry of a directory listing: its name as the listing gives it, its attribute bits and its
// length (the listing knows it; the walk passes it on so the matcher can skip files whose length
// no record accepts without opening them).
struct DirectoryEntry {
  // The name in the ANSI code page, as FindFirstFileA gives it.
  char name[kMaxPath];
  std::uint32_t attributes;
  std::uint64_t size;
  // The ANSI name does not reach the entry: the code page cannot spell a character of it (the
  // listing shows "?" or a look-alike there, and two such names may read alike), or it does not
  // fit the ANSI buffer. The ANSI calls cannot open such an entry.
  bool ansiNameLost;
  // The name as the file system keeps it, where the system has wide calls: set for every entry of
  // a wide listing and for the lost names of an ANSI listing, empty otherwise.
  char16_t wideName[kMaxPath];
};

// An open find-first/find-next listing; destroying it closes the search handle.
class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // Fills the next entry (the first call gives the first one); false when there is none left.
  virtual bool next(DirectoryEntry& entry) = 0;
};

// A file opened read-only in binary mode; destroying it closes the handle. Failures leave their
// code in the platform's lastError().
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The file's current length in bytes, or -1 when it cannot be taken.
  virtual std::int64_t length() = 0;
  // Positions the next read at offset bytes from the start; seeking past the end succeeds, a
  // negative offset fails (ERROR_NEGATIVE_SEEK).
  virtual bool seek(std::int64_t offset) = 0;
  // Reads up to count bytes; returns the number read (0 at the end), or -1 on an error.
  virtual std::int32_t read(void* buffer, std::uint32_t count) = 0;
};

// A file opened write-only in binary mode; destroying it closes the handle.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes count bytes at the current position; returns the number written, which falls short
  // when the disk is full, or -1 on an error.
  virtual std::int32_t write(const void* data, std::uint32_t count) = 0;
  // Positions the next write at offset bytes from the start.
  virtual bool seek(std::int64_t offset) = 0;
  // Ends the file at the current position (SetEndOfFile).
  virtual bool truncate() = 0;
};

enum class WriteMode {
  CreateNew,        // a file that must not exist yet, created with read and write permission
  ExistingAtStart,  // an existing file, positioned at its start; nothing is cut off
  CreateOrReplace,  // a new file, or an existing one emptied (CREATE_ALWAYS)
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // FindFirstFileA: opens a listing for a pattern (a directory followed by "\*.*", or one file's
  // path); null when nothing matches (ERROR_FILE_NOT_FOUND) or the folder cannot be listed.
  virtual std::unique_ptr<DirectoryListing> listDirectory(const char* pattern) = 0;
  virtual unsigned driveType(const char* root) = 0;
  // Existence test (_access mode 0) and read test (_access mode 4).
  virtual bool pathExists(const char* path) = 0;
  virtual bool isReadable(const char* path) = 0;
  // Null when the file cannot be opened; lastError() tells why.
  virtual std::unique_ptr<ReadableFile> openForReading(const char* path) = 0;
  virtual bool setFileAttributes(const char* path, std::uint32_t attributes) = 0;
  virtual bool deleteFile(const char* path) = 0;
  // CopyFileA, replacing an existing destination.
  virtual bool copyFile(const char* source, const char* destination) = 0;
  // Null when the file cannot be opened or created; lastError() tells why.
  virtual std::unique_ptr<WritableFile> openForWriting(const char* path, WriteMode mode) = 0;
  // MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): the system deletes the file at its next
  // start.
  virtual bool deleteAtReboot(const char* path) = 0;
  // GetShortPathNameA: the length of the text written, the size needed (terminator included)
  // when the buffer is too small, or 0 on failure.
  virtual std::uint32_t shortPathName(const char* path, char* buffer, std::uint32_t size) = 0;

  // Whether the wide calls below exist: the NT line has them; on the 9x line every one of them
  // fails with ERROR_CALL_NOT_IMPLEMENTED.
  virtual bool hasWideFileCalls() = 0;
  // The wide calls, on wide paths of up to kMaxWidePath units, with the meaning of the ANSI calls
  // above: FindFirstFileW (every entry with its wideName, and its name in the ANSI code page as
  // the ANSI listing gives it), GetFileAttributesW, CreateFileW for reading, SetFileAttributesW,
  // DeleteFileW and MoveFileExW(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT). A longer path fails
  // with ERROR_FILENAME_EXCED_RANGE.
  virtual std::unique_ptr<DirectoryListing> listDirectoryWide(const char16_t* pattern) = 0;
  virtual bool pathExistsWide(const char16_t* path) = 0;
  virtual std::unique_ptr<ReadableFile> openForReadingWide(const char16_t* path) = 0;
  virtual bool setFileAttributesWide(const char16_t* path, std::uint32_t attributes) = 0;
  virtual bool deleteFileWide(const char16_t* path) = 0;
  virtual bool deleteAtRebootWide(const char16_t* path) = 0;
};

}  // namespace vs
