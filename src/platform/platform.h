// The operating-system services that the engine and the remediation code use. One method per
// operation; each keeps the meaning and results of the Win32 call it stands for, so that the real
// backend is a thin forwarder and the simulated machine can reproduce every road, failures
// included. Nothing here includes windows.h.
#pragma once

#include <cstdint>
#include <memory>

namespace vs {

// Windows paths in the ANSI code page: buffers hold 260 characters including the terminator.
constexpr int kMaxPath = 260;

using WindowHandle = std::uintptr_t;

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

// Win32 error codes that the code and the simulated machine use.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorSharingViolation = 32;

// Window messages the engine takes from the queue or sends.
constexpr std::uint32_t kMsgDestroy = 0x0002;
constexpr std::uint32_t kMsgQuit = 0x0012;

// Message-box types and answers.
constexpr unsigned kMbYesNoQuestion = 36;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// One entry of a directory listing: its name as the listing gives it, its attribute bits and its
// length (the listing knows it; the walk passes it on so the matcher can skip files whose length
// no record accepts without opening them).
struct DirectoryEntry {
  char name[kMaxPath];
  std::uint32_t attributes;
  std::uint64_t size;
};

// An open find-first/find-next listing; destroying it closes the search handle.
class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // Fills the next entry (the first call gives the first one); false when there is none left.
  virtual bool next(DirectoryEntry& entry) = 0;
};

// A file opened read-only in binary mode; destroying it closes the handle.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The file's current length in bytes, or -1 when it cannot be taken.
  virtual std::int64_t length() = 0;
  // Positions the next read at offset bytes from the start; seeking past the end succeeds.
  virtual bool seek(std::int64_t offset) = 0;
  // Reads up to count bytes; returns the number read (0 at the end), or -1 on an error.
  virtual std::int32_t read(void* buffer, std::uint32_t count) = 0;
};

struct WindowMessage {
  WindowHandle window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Files and directories.
  // Opens a listing for a pattern (a directory followed by "\*.*", or one file's path); null when
  // nothing can be listed.
  virtual std::unique_ptr<DirectoryListing> listDirectory(const char* pattern) = 0;
  virtual unsigned driveType(const char* root) = 0;
  // Existence test (_access mode 0) and read test (_access mode 4).
  virtual bool pathExists(const char* path) = 0;
  virtual bool isReadable(const char* path) = 0;
  // Null when the file cannot be opened; lastError() tells why.
  virtual std::unique_ptr<ReadableFile> openForReading(const char* path) = 0;
  virtual bool setFileAttributes(const char* path, std::uint32_t attributes) = 0;
  virtual bool deleteFile(const char* path) = 0;
  // The error code of the last failed call on this thread.
  virtual std::uint32_t lastError() = 0;

  // The main window and the thread's message queue.
  // Sends synchronously: returns once the window has handled the message.
  virtual std::intptr_t sendMessage(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // Takes one message from the queue, if any (PeekMessage with removal).
  virtual bool peekMessage(WindowMessage& message) = 0;
  // Translates and dispatches a message taken from the queue.
  virtual void dispatchMessage(const WindowMessage& message) = 0;
  // The tool's own message box; answers with the system's button codes.
  virtual int skinMessageBox(const char* text, const char* caption, unsigned type) = 0;

  // Blocks the thread; the window is not serviced meanwhile.
  virtual void sleep(unsigned milliseconds) = 0;
};

}  // namespace vs
