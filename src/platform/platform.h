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
constexpr std::uint32_t kErrorNoMoreFiles = 18;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorDiskFull = 112;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorProcNotFound = 127;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorNoMoreItems = 259;
constexpr std::uint32_t kErrorServiceDoesNotExist = 1060;
constexpr std::uint32_t kErrorServiceNotActive = 1062;
constexpr std::uint32_t kErrorNotAllAssigned = 1300;

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

// Registry access masks and value types.
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegMultiSz = 7;

// Process access rights.
constexpr std::uint32_t kProcessTerminate = 0x0001;
constexpr std::uint32_t kProcessVmRead = 0x0010;
constexpr std::uint32_t kProcessQueryInformation = 0x0400;

// Service manager and service access (SC_MANAGER_ALL_ACCESS, which for a service grants the
// query, stop and delete rights) and the states a service reports.
constexpr std::uint32_t kServiceAllAccess = 0xF003F;
constexpr std::uint32_t kServiceStopped = 1;
constexpr std::uint32_t kServiceStopPending = 3;
constexpr std::uint32_t kServiceRunning = 4;

// Window messages the engine takes from the queue or sends.
constexpr std::uint32_t kMsgDestroy = 0x0002;
constexpr std::uint32_t kMsgQuit = 0x0012;

// Message-box types and answers.
constexpr unsigned kMbOk = 0;
constexpr unsigned kMbYesNoQuestion = 36;
constexpr unsigned kMbOkCancelInformation = 0x41;
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

// A registry key opened below HKEY_LOCAL_MACHINE (or the performance-data root). Each call answers
// with the registry's own result: 0 (ERROR_SUCCESS) or a Win32 error code. Destroying the object
// closes a key that close() has not closed yet.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // RegQueryValueExA. data null asks only for the size. *size is the buffer's size in bytes on
  // entry and the data's size on return, also when the buffer is too small (ERROR_MORE_DATA); the
  // registry never writes past *size bytes. type may be null.
  virtual std::int32_t queryValue(const char* name, std::uint32_t* type, void* data,
                                  std::uint32_t* size) = 0;
  // RegQueryInfoKeyA, only the number of values.
  virtual std::int32_t valueCount(std::uint32_t& count) = 0;
  // RegEnumValueA, name only: *nameLength is the buffer's capacity in characters (terminator
  // included) on entry and the name's length on return. ERROR_NO_MORE_ITEMS past the last value,
  // ERROR_MORE_DATA when the name does not fit.
  virtual std::int32_t enumValueName(std::uint32_t index, char* name,
                                     std::uint32_t* nameLength) = 0;
  // RegDeleteValueA.
  virtual std::int32_t deleteValue(const char* name) = 0;
  // RegCloseKey, reporting its result; every later call on the key fails.
  virtual std::int32_t close() = 0;
};

// An open service; destroying it closes the handle. The state is dwCurrentState of the service's
// status record.
class ServiceHandle {
 public:
  virtual ~ServiceHandle() = default;
  // ControlService with SERVICE_CONTROL_STOP; on success currentState is the state the service
  // reports in answer. False on failure, lastError() tells why.
  virtual bool stop(std::uint32_t& currentState) = 0;
  // QueryServiceStatus.
  virtual bool queryStatus(std::uint32_t& currentState) = 0;
};

// The service control manager of the local machine, default database; destroying it closes it.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // OpenServiceA; null on failure, lastError() tells why.
  virtual std::unique_ptr<ServiceHandle> openService(const char* name, std::uint32_t access) = 0;
};

// An open process; destroying it closes the handle.
class ProcessHandle {
 public:
  virtual ~ProcessHandle() = default;
  // TerminateProcess; the process ends with exitCode.
  virtual bool terminate(std::uint32_t exitCode) = 0;
};

// What a PROCESSENTRY32 record tells of a process, as far as the program reads it.
struct ProcessEntry {
  std::uint32_t processId = 0;
  char exeFile[kMaxPath] = {};  // szExeFile: the full path on the 9x line, a name on the NT line
};

// A tool-help snapshot of the running processes; destroying it closes the snapshot handle.
class ProcessSnapshot {
 public:
  virtual ~ProcessSnapshot() = default;
  // Process32First and Process32Next, each looked up by name at every call, as the code that runs
  // on systems without them must. False when there is no entry (lastError() ERROR_NO_MORE_FILES)
  // or when the function cannot be found (ERROR_PROC_NOT_FOUND).
  virtual bool first(ProcessEntry& entry) = 0;
  virtual bool next(ProcessEntry& entry) = 0;
};

// kernel32.dll loaded by name for its tool-help functions; destroying it frees the library.
class ToolhelpLibrary {
 public:
  virtual ~ToolhelpLibrary() = default;
  // CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0), looked up by name; null when the function is
  // missing or the snapshot fails.
  virtual std::unique_ptr<ProcessSnapshot> snapshotProcesses() = 0;
};

// psapi.dll loaded by name with EnumProcesses and GetModuleFileNameExA found in it; destroying it
// frees the library.
class PsapiLibrary {
 public:
  virtual ~PsapiLibrary() = default;
  // EnumProcesses: fills ids (size bytes) and sets *bytesReturned to the bytes it used.
  virtual bool enumProcesses(std::uint32_t* ids, std::uint32_t size,
                             std::uint32_t* bytesReturned) = 0;
  // GetModuleFileNameExA for the main module of a process opened with query and read rights: the
  // length written (without the terminator), 0 on failure. A path that does not fit whole with its
  // terminator is a failure too: cut, it would name another file.
  virtual std::uint32_t mainModulePath(ProcessHandle& process, char* buffer,
                                       std::uint32_t size) = 0;
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
  // CopyFileA, replacing an existing destination.
  virtual bool copyFile(const char* source, const char* destination) = 0;
  // Null when the file cannot be opened or created; lastError() tells why.
  virtual std::unique_ptr<WritableFile> openForWriting(const char* path, WriteMode mode) = 0;
  // MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): the system deletes the file at its next
  // start.
  virtual bool deleteAtReboot(const char* path) = 0;

  // GetWindowsDirectoryA, GetTempPathA (ends with a backslash) and GetShortPathNameA: the length
  // of the text written, the size needed (terminator included) when the buffer is too small, or
  // 0 on failure.
  virtual std::uint32_t windowsDirectory(char* buffer, std::uint32_t size) = 0;
  virtual std::uint32_t tempPath(char* buffer, std::uint32_t size) = 0;
  virtual std::uint32_t shortPathName(const char* path, char* buffer, std::uint32_t size) = 0;

  // System version, privileges and restart.
  // GetVersionExA with an OSVERSIONINFOA record; false when the query fails.
  virtual bool version(VersionInfo& info) = 0;
  // OpenProcessToken on the current process; null when it cannot be opened.
  virtual std::unique_ptr<AccessToken> openProcessToken(std::uint32_t desiredAccess) = 0;
  // LookupPrivilegeValueA on the local system.
  virtual bool lookupPrivilegeValue(const char* name, PrivilegeId& privilege) = 0;
  // ExitWindowsEx: starts the shutdown or restart and returns; the system ends the program later.
  virtual bool exitWindows(std::uint32_t flags, std::uint32_t reserved) = 0;

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
  // Milliseconds since the system started (GetTickCount); wraps after 49.7 days.
  virtual std::uint32_t tickCount() = 0;

  // The system's plain message box (MessageBoxA without an owner window).
  virtual int messageBox(const char* text, const char* caption, unsigned type) = 0;
  // ExitProcess: the program ends at once with this status. The simulated machine records the
  // request and returns, so a caller returns straight away after asking.
  virtual void exitProcess(unsigned exitCode) = 0;

  // Registry (HKEY_LOCAL_MACHINE only) and environment.
  // RegOpenKeyExA below HKEY_LOCAL_MACHINE; key is set only on success.
  virtual std::int32_t openMachineKey(const char* path, std::uint32_t access,
                                      std::unique_ptr<RegistryKey>& key) = 0;
  // RegDeleteKeyA below HKEY_LOCAL_MACHINE.
  virtual std::int32_t deleteMachineKey(const char* path) = 0;
  // HKEY_PERFORMANCE_DATA: queryValue with an object's index text as the value name gives that
  // object's performance-data block; close() is RegCloseKey on the root.
  virtual std::unique_ptr<RegistryKey> performanceData() = 0;
  // GetSystemDirectoryA, with the results of windowsDirectory().
  virtual std::uint32_t systemDirectory(char* buffer, std::uint32_t size) = 0;
  // ExpandEnvironmentStringsA: the size needed (terminator included); when it exceeds size the
  // buffer does not hold the expansion. 0 on failure.
  virtual std::uint32_t expandEnvironmentStrings(const char* source, char* destination,
                                                 std::uint32_t size) = 0;
  // WideCharToMultiByte to the ANSI code page, no flags. length -1 converts up to and with the
  // terminator. Returns the bytes written, 0 on failure (also when the result does not fit).
  virtual int wideToAnsi(const char16_t* text, int length, char* out, int capacity) = 0;
  // MultiByteToWideChar from the ANSI code page, no flags: the same contract the other way.
  virtual int ansiToWide(const char* text, int length, char16_t* out, int capacity) = 0;

  // Services.
  // OpenSCManagerA on the local machine's default database; null on failure.
  virtual std::unique_ptr<ServiceManager> openServiceManager(std::uint32_t access) = 0;

  // Processes.
  // LoadLibraryA("Kernel32.dll"); null when it cannot be loaded.
  virtual std::unique_ptr<ToolhelpLibrary> loadToolhelp() = 0;
  // LoadLibraryA("psapi.dll") and both functions looked up; null when any is missing.
  virtual std::unique_ptr<PsapiLibrary> loadPsapi() = 0;
  // OpenProcess, handle not inheritable; null on failure, lastError() tells why.
  virtual std::unique_ptr<ProcessHandle> openProcess(std::uint32_t access,
                                                     std::uint32_t processId) = 0;
};

}  // namespace vs
