// A simulated machine for native tests: drives with trees of files held in memory or backed by a
// host folder, a scripted message queue and message-box answers, recorded sleeps, and a log of the
// calls the code made.
#pragma once

#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/volumes/drive_table.h"

namespace vs::sim {

// A file or directory of an in-memory drive. The rules say how the machine answers for it. The
// machine's ANSI code page is Latin-1: a name of other characters keeps its wide spelling, and its
// ANSI name is that spelling with "?" for each of them, which no ANSI call reaches.
struct Node {
  std::string name;
  std::u16string wideName;  // the name as the file system keeps it, where Latin-1 cannot spell it
  std::uint32_t attributes = kAttrArchive;
  std::string content;
  std::vector<std::unique_ptr<Node>> children;  // in listing order

  bool denyOpen = false;          // opening for reading (and the read test) fails: access denied
  bool denyList = false;          // a directory that cannot be listed
  bool denyAttributes = false;    // setting attributes fails: access denied
  std::uint32_t deleteError = 0;  // non-zero: deletion fails with this code
  bool denyWrite = false;         // opening for writing fails: access denied
  std::string shortName;          // the 8.3 form of the name, where it differs from the name

  bool isDirectory() const { return (attributes & kAttrDirectory) != 0; }
  Node* child(const std::string& childName) const;         // by ANSI name, letter case ignored
  Node* wideChild(const std::u16string& childName) const;  // by wide spelling, case ignored
  // The name as the wide calls give it.
  std::u16string spelling() const;
};

struct MessageBoxCall {
  std::string text;
  std::string caption;
  unsigned type;
};

class SimMachine : public Platform {
 public:
  SimMachine();
  ~SimMachine() override;
  // Listings and files keep the error slot: the machine does not move.
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  // Building the machine.
  // An in-memory drive (letter C to Z, or A/B) of the given type.
  void addDrive(char letter, unsigned type = kDriveFixed);
  // A drive whose files are those of a host folder, as a mounted volume's (C to Z).
  void addHostDrive(char letter, const std::string& hostFolder, unsigned type = kDriveFixed);
  // Makes a host drive refuse every change (attributes, deletion: access denied), as a
  // write-protected medium does, so that a scan may read folders it must never alter.
  void writeProtect(char letter);
  // Creates the directories of a Windows path ("C:\a\b"), returning the last.
  Node& addDirectory(const std::string& path);
  // Creates a file (and its directories) with the given bytes.
  Node& addFile(const std::string& path, const std::string& content,
                std::uint32_t attributes = kAttrArchive);
  // The same for wide paths: each name that Latin-1 cannot spell keeps its wide spelling.
  Node& addDirectory(const std::u16string& path);
  Node& addFile(const std::u16string& path, const std::string& content,
                std::uint32_t attributes = kAttrArchive);
  // The node at a Windows path of an in-memory drive, or null.
  Node* find(const std::string& path) const;
  Node* find(const std::u16string& path) const;
  bool exists(const std::string& path) const { return find(path) != nullptr; }
  // Removes a file or a directory with all it holds, as something outside the program would;
  // false when there is no such node.
  bool remove(const std::string& path);

  // What the code did.
  std::vector<std::string> calls;  // one line per call, e.g. "list C:\*.*", "delete C:\x.exe"
  bool logCalls = true;
  std::vector<unsigned> sleeps;
  std::vector<MessageBoxCall> messageBoxes;
  std::vector<WindowMessage> dispatched;
  // Lines of calls that begin with a prefix ("open ", "list ").
  std::vector<std::string> callsStartingWith(const std::string& prefix) const;

  // The window and its queue.
  std::deque<WindowMessage> queue;
  std::deque<int> messageBoxAnswers;  // answered in order; IDNO once they run out

  // The clock: sleeps move it on, and so does every query, by clockStep milliseconds (by default
  // far enough that the message pump looks at its queue every time).
  std::uint32_t clock = 0;
  std::uint32_t clockStep = 1000;
  std::function<void(std::uint32_t message)> onSend;  // the main window's handler
  // A main window's handler that answers: its result is the send's (without it, 0).
  std::function<std::intptr_t(std::uint32_t message)> onSendAnswered;
  // Called before every call that keeps the thread from its queue for a while (the message boxes,
  // sleeping), with the line the call is logged with.
  std::function<void(const std::string& call)> beforeBlocking;

  // Writing, copying and deletion at the next start (in-memory drives only).
  std::vector<std::string> pendingDeletes;  // paths given to the reboot-time deletion, in order
  std::vector<std::u16string> pendingWideDeletes;  // the same through the wide call
  std::uint32_t deleteAtRebootError = 0;           // non-zero: such requests fail with this code
  std::uint32_t copyError = 0;                     // non-zero: every copy fails with this code
  // Bytes by which files may still grow, all together; a write that needs more falls short.
  std::uint64_t freeSpace = UINT64_MAX;
  std::string windowsDirectoryPath = "C:\\WINDOWS";  // empty: the query fails
  std::string tempDirectoryPath = "C:\\WINDOWS\\TEMP\\";

  // Version, privileges and restart.
  std::optional<VersionInfo> versionInfo = VersionInfo{kPlatformWin32Nt, 5, 1};  // none: fails
  bool tokenOpenFails = false;
  std::vector<std::string> heldPrivileges{"SeShutdownPrivilege", "SeDebugPrivilege"};
  std::vector<std::string> enabledPrivileges;
  std::vector<std::uint32_t> restartRequests;  // the flags of every ExitWindowsEx call
  bool exitWindowsFails = false;

  // The plain message box (answered with IDOK) and the end of the program.
  std::vector<MessageBoxCall> plainMessageBoxes;
  std::optional<unsigned> exitCode;  // set once the program asked to end

  // Registry, environment, system folder and the ANSI conversion.
  SimRegistry registry;
  std::map<std::string, std::string> environment{{"WINDIR", "C:\\WINDOWS"},
                                                 {"SYSTEMROOT", "C:\\WINDOWS"},
                                                 {"PROGRAMFILES", "C:\\Program Files"}};
  std::string systemDirectoryPath = "C:\\WINDOWS\\system32";  // empty: the query fails
  bool ansiConversionFails = false;

  // Performance data. The "Counters" list under Perflib\009 names the process object and the id
  // counter with these indexes; the object's block lists "Idle", every process and "_Total".
  std::string perfProcessObject = "230";
  std::uint32_t perfIdCounter = 784;
  // Answered instead of the block built from the running programs.
  std::optional<std::vector<std::uint8_t>> perfDataBlock;
  // A smaller buffer gets ERROR_MORE_DATA; non-zero hint: the size left after that answer.
  std::uint32_t perfDataMinimumBuffer = 0;
  std::uint32_t perfDataSizeHint = 0;
  std::int32_t perfDataError = 0;              // non-zero: every query fails with it
  std::vector<std::uint32_t> perfDataQueries;  // the buffer size offered by every query

  // Running programs. A program holds its image (deletion: access denied) and its held files
  // (deletion: sharing violation) until it ends.
  SimProcess& startProcess(const std::string& imagePath, std::vector<std::string> heldFiles = {});
  // A program whose image has a wide path (a name Latin-1 cannot spell, or a long path).
  SimProcess& startProcess(const std::u16string& imagePath);
  SimProcess* process(std::uint32_t id);
  std::list<SimProcess> processes;   // in the order the system lists them
  std::vector<std::uint32_t> ended;  // ids of the programs that ended, in order
  bool toolhelpMissing = false;      // kernel32.dll cannot be loaded by name
  bool snapshotFails = false;        // CreateToolhelp32Snapshot fails
  bool process32NextMissing = false;
  bool psapiMissing = false;  // psapi.dll or one of its functions cannot be found

  // Services.
  std::vector<SimService> services;
  bool serviceManagerFails = false;

  std::uint32_t lastError() override { return lastError_; }

  // Files and directories (sim_files.cpp).
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
  // The wide calls exist where the machine reports the NT line.
  bool hasWideFileCalls() override;
  std::unique_ptr<DirectoryListing> listDirectoryWide(const char16_t* pattern) override;
  bool pathExistsWide(const char16_t* path) override;
  std::unique_ptr<ReadableFile> openForReadingWide(const char16_t* path) override;
  bool setFileAttributesWide(const char16_t* path, std::uint32_t attributes) override;
  bool deleteFileWide(const char16_t* path) override;
  bool deleteAtRebootWide(const char16_t* path) override;

  // Registry (sim_registry.cpp) and performance data (sim_performance_data.cpp).
  std::int32_t openMachineKey(const char* path, std::uint32_t access,
                              std::unique_ptr<RegistryKey>& key) override;
  std::int32_t deleteMachineKey(const char* path) override;
  std::unique_ptr<RegistryKey> performanceData() override;

  // Processes (sim_processes.cpp).
  std::unique_ptr<ToolhelpLibrary> loadToolhelp() override;
  std::unique_ptr<PsapiLibrary> loadPsapi() override;
  std::unique_ptr<ProcessHandle> openProcess(std::uint32_t access,
                                             std::uint32_t processId) override;

  // Services (sim_services.cpp).
  std::unique_ptr<ServiceManager> openServiceManager(std::uint32_t access) override;

  // System information (sim_system_information.cpp).
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

  // The window queue and the message boxes (sim_window_queue.cpp).
  std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool peekMessage(WindowMessage& message) override;
  void dispatchMessage(const WindowMessage& message) override;
  int skinMessageBox(const char* text, const char* caption, unsigned type) override;
  int messageBox(const char* text, const char* caption, unsigned type) override;

  // Ends a running program as TerminateProcess would, releasing the files it held.
  void endProcess(std::uint32_t id);

 private:
  class MemoryFile;
  class Writer;
  class Token;
  class Key;
  class PerformanceRoot;
  class Process;
  class Snapshot;
  class Toolhelp;
  class Psapi;
  class Manager;
  class Service;
  struct Drive;
  struct Resolved;
  Drive* drive(char letter) const;
  Resolved resolve(const std::string& path) const;
  Resolved resolve(const std::u16string& path) const;
  template <typename Text>
  Resolved resolveParts(Drive* where, const std::vector<Text>& parts) const;
  template <typename Text>
  std::unique_ptr<DirectoryListing> listTree(const Text& pattern);
  // Whether a path lies on a drive backed by a host folder, whose calls the drive table answers.
  bool onHostDrive(const char* path) const;
  bool onHostDrive(const std::u16string& path) const;
  // The code for a path that resolves to nothing: too long, on no drive, missing its folder, or
  // missing itself.
  static std::uint32_t missingError(const Resolved& where);
  // True (the error set) for a path longer than the system's ANSI calls take; for a wide path,
  // longer than the wide calls take, or on a machine without them.
  bool refusedForLength(const char* path);
  bool refusedWide(const std::u16string& path);
  // The DirectoryEntry of a node, as the ANSI or the wide listing gives it.
  DirectoryEntry entryOf(const Node& node, bool wideListing);
  // The file calls on a resolved path of an in-memory drive, the same for ANSI and wide paths.
  bool nodeFound(const Resolved& where);
  std::unique_ptr<ReadableFile> openNode(const Resolved& where);
  bool setNodeAttributes(const Resolved& where, std::uint32_t attributes);
  bool removeNode(const Resolved& where);
  // Whether the system would give a path's attributes: the existence and the read test.
  bool attributesFound(const char* path);
  void log(const std::string& line);
  // Logs a call that keeps the thread from its queue, telling beforeBlocking first.
  void blocking(const std::string& line);
  bool fail(std::uint32_t error);
  void releaseSpace(std::uint64_t bytes);

  std::vector<std::uint8_t> performanceBlock(const std::string& objectIndexText) const;
  std::vector<Node*> heldNodes(const SimProcess& process) const;
  bool holdsFile(const Node* node) const;

  std::map<char, std::unique_ptr<Drive>> drives_;
  std::uint32_t lastError_ = 0;
  // The drives backed by host folders, read and changed through the same code as the mounted
  // volumes of the offline scan.
  volumes::DriveTable hostDrives_{lastError_};
  std::uint32_t nextProcessId_ = 0x100;
};

// A number as the call log writes it: "0x1A".
std::string hexText(std::uint32_t value);

}  // namespace vs::sim
