// The real machine: each operation of the platform interface forwards to the Win32 call it stands
// for, keeping that call's meaning, results and error codes. The header stays free of windows.h so
// that code holding the platform does not pull in the system headers.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace vs {

// Shows the tool's own message box and answers with the system's button codes (IDYES, IDNO...).
// The user interface installs one once its main window exists; until then the system's plain
// message box stands in.
using MessageBoxHandler = int (*)(const char* text, const char* caption, unsigned type);
// Called before the thread stands still for a while (a message box, a pause), so that the window
// can bring what it shows up to date first: nothing repaints it until the thread comes back.
using BlockingNotice = void (*)();

class Win32Platform : public Platform {
 public:
  explicit Win32Platform(MessageBoxHandler messageBox = nullptr,
                         BlockingNotice beforeBlocking = nullptr)
      : messageBox_(messageBox), beforeBlocking_(beforeBlocking) {}
  // Open files and listings report their failures here, so they must not outlive the platform,
  // and the platform does not move.
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  void setMessageBoxHandler(MessageBoxHandler messageBox) { messageBox_ = messageBox; }

  std::uint32_t lastError() override { return lastError_; }

  // Files and directories (win32_files.cpp).
  std::unique_ptr<DirectoryListing> listDirectory(const char* pattern) override;
  unsigned driveType(const char* root) override;
  bool pathExists(const char* path) override;
  bool isReadable(const char* path) override;
  std::unique_ptr<ReadableFile> openForReading(const char* path) override;
  bool setFileAttributes(const char* path, std::uint32_t attributes) override;
  bool deleteFile(const char* path) override;
  bool copyFile(const char* source, const char* destination) override;
  std::unique_ptr<WritableFile> openForWriting(const char* path, WriteMode mode) override;
  bool deleteAtReboot(const char* path) override;
  std::uint32_t shortPathName(const char* path, char* buffer, std::uint32_t size) override;
  // The wide calls exist on the NT line (win32/wide_calls.h); paths go to them with "\\?\".
  bool hasWideFileCalls() override;
  std::unique_ptr<DirectoryListing> listDirectoryWide(const char16_t* pattern) override;
  bool pathExistsWide(const char16_t* path) override;
  std::unique_ptr<ReadableFile> openForReadingWide(const char16_t* path) override;
  bool setFileAttributesWide(const char16_t* path, std::uint32_t attributes) override;
  bool deleteFileWide(const char16_t* path) override;
  bool deleteAtRebootWide(const char16_t* path) override;

  // Registry (win32_registry.cpp).
  std::int32_t openMachineKey(const char* path, std::uint32_t access,
                              std::unique_ptr<RegistryKey>& key) override;
  std::int32_t deleteMachineKey(const char* path) override;
  std::unique_ptr<RegistryKey> performanceData() override;

  // Processes (win32_processes.cpp).
  std::unique_ptr<ToolhelpLibrary> loadToolhelp() override;
  std::unique_ptr<PsapiLibrary> loadPsapi() override;
  std::unique_ptr<ProcessHandle> openProcess(std::uint32_t access,
                                             std::uint32_t processId) override;

  // Services (win32_services.cpp).
  std::unique_ptr<ServiceManager> openServiceManager(std::uint32_t access) override;

  // System information (win32_system_information.cpp).
  bool version(VersionInfo& info) override;
  std::uint32_t windowsDirectory(char* buffer, std::uint32_t size) override;
  std::uint32_t systemDirectory(char* buffer, std::uint32_t size) override;
  std::uint32_t tempPath(char* buffer, std::uint32_t size) override;
  std::uint32_t expandEnvironmentStrings(const char* source, char* destination,
                                         std::uint32_t size) override;
  std::uint32_t expandEnvironmentStringsWide(const char16_t* source, char16_t* destination,
                                             std::uint32_t size) override;
  int wideToAnsi(const char16_t* text, int length, char* out, int capacity) override;
  int ansiToWide(const char* text, int length, char16_t* out, int capacity) override;
  std::unique_ptr<AccessToken> openProcessToken(std::uint32_t desiredAccess) override;
  bool lookupPrivilegeValue(const char* name, PrivilegeId& privilege) override;
  bool exitWindows(std::uint32_t flags, std::uint32_t reserved) override;
  void sleep(unsigned milliseconds) override;
  std::uint32_t tickCount() override;
  void exitProcess(unsigned exitCode) override;

  // The window queue and the message boxes (win32_window_queue.cpp).
  std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool peekMessage(WindowMessage& message) override;
  void dispatchMessage(const WindowMessage& message) override;
  int skinMessageBox(const char* text, const char* caption, unsigned type) override;
  int messageBox(const char* text, const char* caption, unsigned type) override;

 private:
  // Takes the thread's error code right after a call failed, before anything can overwrite it;
  // returns false so that a failing path can end with `return failed();`.
  bool failed();
  // FindFirstFileW on a pattern the system takes as it is; wideListing: every entry with its wide
  // name.
  std::unique_ptr<DirectoryListing> listWide(const wchar_t* pattern, bool wideListing);
  // True, the error set, when the wide calls cannot take the path: on the 9x line, or too long.
  bool refusedWide(const char16_t* path);

  void noticeBlocking() const {
    if (beforeBlocking_) beforeBlocking_();
  }

  MessageBoxHandler messageBox_;
  BlockingNotice beforeBlocking_;
  std::uint32_t lastError_ = 0;
};

}  // namespace vs
