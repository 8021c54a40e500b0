// The running programs: the tool-help snapshot of the 9x line, psapi of the NT line, and the
// handles that end a program.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/file_system.h"

namespace vs {

// Process access rights.
constexpr std::uint32_t kProcessTerminate = 0x0001;
constexpr std::uint32_t kProcessVmRead = 0x0010;
constexpr std::uint32_t kProcessQueryInformation = 0x0400;

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

// psapi.dll loaded by name with EnumProcesses and GetModuleFileNameExA found in it (and
// GetModuleFileNameExW where it has it); destroying it frees the library.
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
  // GetModuleFileNameExW, the same in UTF-16 units: the path as the system keeps it, whatever the
  // code page can spell and however long. 0 with ERROR_PROC_NOT_FOUND where psapi lacks it.
  virtual std::uint32_t mainModulePathWide(ProcessHandle& process, char16_t* buffer,
                                           std::uint32_t size) = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;

  // LoadLibraryA("Kernel32.dll"); null when it cannot be loaded.
  virtual std::unique_ptr<ToolhelpLibrary> loadToolhelp() = 0;
  // LoadLibraryA("psapi.dll") and both functions looked up; null when any is missing.
  virtual std::unique_ptr<PsapiLibrary> loadPsapi() = 0;
  // OpenProcess, handle not inheritable; null on failure, lastError() tells why.
  virtual std::unique_ptr<ProcessHandle> openProcess(std::uint32_t access,
                                                     std::uint32_t processId) = 0;
};

}  // namespace vs
