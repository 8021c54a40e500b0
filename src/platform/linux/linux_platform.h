// The platform over Windows volumes mounted on a Linux host, for scanning a Windows installation
// that is not running: its files through the mounted drives, its SOFTWARE hive through hivex.
// Nothing of the system runs, so there are no processes, services, privileges or restart, the
// reboot-time deletion refuses, and nothing is written but deletions, attribute resets and the
// hive. The main window's side of the status messages is a function of the caller's.
#pragma once

#include <csignal>
#include <functional>
#include <memory>
#include <string>

#include "platform/linux/mounted_drives.h"
#include "platform/linux/software_hive.h"
#include "platform/linux/windows_installation.h"
#include "platform/platform.h"

namespace vs::linux_host {

class LinuxPlatform : public Platform {
 public:
  // Called for every message sent to the main window (the StatusChannel).
  using WindowSink = std::function<void(std::uint32_t message)>;

  // interrupt: set by the caller (a signal handler) to end the scan; the next look at the
  // message queue then finds the quit message, which the pump turns into a cancel.
  LinuxPlatform(const MountedDrives& drives, WindowSink sink,
                const volatile std::sig_atomic_t* interrupt);

  // The installation found on the drives: its folders answer the directory queries and the
  // expansion of %SystemRoot% and %windir%, and the system counts as the NT line.
  void setInstallation(const WindowsInstallation& installation);
  // HKEY_LOCAL_MACHINE\SOFTWARE; without it every key is missing.
  void setSoftwareHive(SoftwareHive* hive) { hive_ = hive; }

  // Files and directories (linux_files.cpp).
  std::unique_ptr<DirectoryListing> listDirectory(const char* pattern) override;
  unsigned driveType(const char* root) override;
  bool pathExists(const char* path) override;
  bool isReadable(const char* path) override;
  std::unique_ptr<ReadableFile> openForReading(const char* path) override;
  bool setFileAttributes(const char* path, std::uint32_t attributes) override;
  bool deleteFile(const char* path) override;
  std::uint32_t lastError() override { return lastError_; }
  bool copyFile(const char* source, const char* destination) override;
  std::unique_ptr<WritableFile> openForWriting(const char* path, WriteMode mode) override;
  bool deleteAtReboot(const char* path) override;

  // The rest of the system (linux_system.cpp).
  std::uint32_t windowsDirectory(char* buffer, std::uint32_t size) override;
  std::uint32_t tempPath(char* buffer, std::uint32_t size) override;
  std::uint32_t shortPathName(const char* path, char* buffer, std::uint32_t size) override;
  bool version(VersionInfo& info) override;
  std::unique_ptr<AccessToken> openProcessToken(std::uint32_t desiredAccess) override;
  bool lookupPrivilegeValue(const char* name, PrivilegeId& privilege) override;
  bool exitWindows(std::uint32_t flags, std::uint32_t reserved) override;
  std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool peekMessage(WindowMessage& message) override;
  void dispatchMessage(const WindowMessage& message) override;
  int skinMessageBox(const char* text, const char* caption, unsigned type) override;
  void sleep(unsigned milliseconds) override;
  std::uint32_t tickCount() override;
  int messageBox(const char* text, const char* caption, unsigned type) override;
  void exitProcess(unsigned exitCode) override;
  std::int32_t openMachineKey(const char* path, std::uint32_t access,
                              std::unique_ptr<RegistryKey>& key) override;
  std::int32_t deleteMachineKey(const char* path) override;
  std::unique_ptr<RegistryKey> performanceData() override;
  std::uint32_t systemDirectory(char* buffer, std::uint32_t size) override;
  std::uint32_t expandEnvironmentStrings(const char* source, char* destination,
                                         std::uint32_t size) override;
  int wideToAnsi(const char16_t* text, int length, char* out, int capacity) override;
  int ansiToWide(const char* text, int length, char16_t* out, int capacity) override;
  std::unique_ptr<ServiceManager> openServiceManager(std::uint32_t access) override;
  std::unique_ptr<ToolhelpLibrary> loadToolhelp() override;
  std::unique_ptr<PsapiLibrary> loadPsapi() override;
  std::unique_ptr<ProcessHandle> openProcess(std::uint32_t access,
                                             std::uint32_t processId) override;

 private:
  // Records the Win32 code for errno and returns false.
  bool failFromErrno();
  bool fail(std::uint32_t error);
  // A text result of the directory queries: copied when it fits, else the size it needs.
  std::uint32_t answerText(const std::string& text, char* buffer, std::uint32_t size);

  const MountedDrives& drives_;
  WindowSink sink_;
  const volatile std::sig_atomic_t* interrupt_;
  bool quitDelivered_ = false;
  std::string windowsFolder_;
  std::string systemFolder_;
  SoftwareHive* hive_ = nullptr;
  std::uint32_t lastError_ = 0;
};

}  // namespace vs::linux_host
