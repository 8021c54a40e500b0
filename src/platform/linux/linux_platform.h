// The platform over a Windows installation that is not running, seen from this Linux host: its
// files through the drives (mounted volumes), its SOFTWARE hive through hivex. Nothing of the
// system runs (see not_running_platform.h), and nothing is written but deletions, attribute resets
// and the hive. The main window's side of the status messages is a function of the caller's.
#pragma once

#include <csignal>
#include <functional>
#include <memory>
#include <string>

#include "platform/linux/software_hive.h"
#include "platform/linux/windows_installation.h"
#include "platform/not_running_platform.h"
#include "platform/volumes/drive_table.h"

namespace vs::linux_host {

class LinuxPlatform : public NotRunningPlatform {
 public:
  // Called for every message sent to the main window (the StatusChannel).
  using WindowSink = std::function<void(std::uint32_t message)>;

  // interrupt: set by the caller (a signal handler) to end the scan; the next look at the
  // message queue then finds the quit message, which the pump turns into a cancel.
  LinuxPlatform(WindowSink sink, const volatile std::sig_atomic_t* interrupt);
  // Listings and files keep the error slot: the platform does not move.
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  // The drives, to be given their volumes before the scan.
  volumes::DriveTable& drives() { return drives_; }
  // The installation found on the drives: its folders answer the directory queries and the
  // expansion of %SystemRoot% and %windir%, and the system counts as the NT line.
  void setInstallation(const WindowsInstallation& installation);
  // HKEY_LOCAL_MACHINE\SOFTWARE; without it every key is missing.
  void setSoftwareHive(SoftwareHive* hive) { hive_ = hive; }
  // Called with a file's Windows path (a wide one as this host spells it) before each attempt to
  // delete it, so that the report can still tell what the file held.
  using DeletionWitness = std::function<void(const char* path)>;
  void witnessDeletions(DeletionWitness witness) { deletionWitness_ = std::move(witness); }

  // Files and directories (linux_files.cpp).
  std::unique_ptr<DirectoryListing> listDirectory(const char* pattern) override;
  unsigned driveType(const char* root) override;
  bool pathExists(const char* path) override;
  bool isReadable(const char* path) override;
  std::unique_ptr<ReadableFile> openForReading(const char* path) override;
  bool setFileAttributes(const char* path, std::uint32_t attributes) override;
  bool deleteFile(const char* path) override;
  bool copyFile(const char* source, const char* destination) override;
  std::unique_ptr<WritableFile> openForWriting(const char* path, WriteMode mode) override;
  std::uint32_t shortPathName(const char* path, char* buffer, std::uint32_t size) override;
  // The wide calls reach every name of the volumes, as this host spells it, and paths as long as
  // the wide calls take where this host's own calls take them (4,095 bytes below a drive's root).
  bool hasWideFileCalls() override;
  std::unique_ptr<DirectoryListing> listDirectoryWide(const char16_t* pattern) override;
  bool pathExistsWide(const char16_t* path) override;
  std::unique_ptr<ReadableFile> openForReadingWide(const char16_t* path) override;
  bool setFileAttributesWide(const char16_t* path, std::uint32_t attributes) override;
  bool deleteFileWide(const char16_t* path) override;

  // Registry (linux_registry.cpp).
  std::int32_t openMachineKey(const char* path, std::uint32_t access,
                              std::unique_ptr<RegistryKey>& key) override;

  // System information (linux_system_information.cpp).
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
  void sleep(unsigned milliseconds) override;
  std::uint32_t tickCount() override;
  void exitProcess(unsigned exitCode) override;

  // The window queue and the message boxes (linux_window_queue.cpp).
  std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool peekMessage(WindowMessage& message) override;
  void dispatchMessage(const WindowMessage& message) override;
  int skinMessageBox(const char* text, const char* caption, unsigned type) override;
  int messageBox(const char* text, const char* caption, unsigned type) override;

 private:
  // A folder of the installation as the directory queries answer it.
  std::uint32_t answerFolder(const std::string& folder, char* buffer, std::uint32_t size);

  volumes::DriveTable drives_{lastError_};
  WindowSink sink_;
  const volatile std::sig_atomic_t* interrupt_;
  bool quitDelivered_ = false;
  std::string windowsFolder_;
  std::string systemFolder_;
  SoftwareHive* hive_ = nullptr;
  DeletionWitness deletionWitness_;
};

}  // namespace vs::linux_host
