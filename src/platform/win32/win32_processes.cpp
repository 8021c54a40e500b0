// Running programs on the real machine. The tool-help functions (missing on NT 4) and psapi.dll
// (missing on the 9x line) are looked up by name at run time, never linked, so that one executable
// starts on every line; only OpenProcess and TerminateProcess, which all have, are linked.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"

namespace vs {
namespace {

static_assert(kProcessTerminate == PROCESS_TERMINATE && kProcessVmRead == PROCESS_VM_READ &&
              kProcessQueryInformation == PROCESS_QUERY_INFORMATION);
static_assert(kErrorProcNotFound == ERROR_PROC_NOT_FOUND &&
              kErrorNoMoreFiles == ERROR_NO_MORE_FILES);
// The record the 32-bit program hands the tool-help functions.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296);

using CreateSnapshotFunction = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
using ProcessWalkFunction = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32* entry);
using EnumProcessesFunction = BOOL(WINAPI*)(DWORD* ids, DWORD size, DWORD* bytesReturned);
using ModuleFileNameFunction = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPSTR name,
                                              DWORD size);
using WideModuleFileNameFunction = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPWSTR name,
                                                  DWORD size);

using win32::ModuleHandle;
using ProcessHandleOwner = win32::KernelHandle;

// The address of a function exported by name, as the type the caller names.
template <typename Function>
Function lookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class Win32Process : public ProcessHandle {
 public:
  Win32Process(ProcessHandleOwner handle, std::uint32_t& lastError)
      : handle_(std::move(handle)), lastError_(lastError) {}

  bool terminate(std::uint32_t exitCode) override {
    if (TerminateProcess(handle_.get(), exitCode)) return true;
    lastError_ = GetLastError();
    return false;
  }

  HANDLE get() const { return handle_.get(); }

 private:
  ProcessHandleOwner handle_;
  std::uint32_t& lastError_;
};

// kernel32.dll is mapped for the program's whole life (the program imports it), so the snapshot
// may look its functions up after the library object that found them is gone.
class Win32Snapshot : public ProcessSnapshot {
 public:
  Win32Snapshot(HMODULE kernel, win32::FileHandle snapshot, std::uint32_t& lastError)
      : kernel_(kernel), snapshot_(std::move(snapshot)), lastError_(lastError) {}

  bool first(ProcessEntry& entry) override { return walk("Process32First", entry); }
  bool next(ProcessEntry& entry) override { return walk("Process32Next", entry); }

 private:
  bool walk(const char* functionName, ProcessEntry& entry) {
    const auto function = lookUp<ProcessWalkFunction>(kernel_, functionName);
    if (!function) {
      lastError_ = ERROR_PROC_NOT_FOUND;
      return false;
    }
    PROCESSENTRY32 record{};
    record.dwSize = sizeof record;
    if (!function(snapshot_.get(), &record)) {
      lastError_ = GetLastError();
      return false;
    }
    entry = ProcessEntry{};
    entry.processId = record.th32ProcessID;
    const std::size_t length = strnlen(record.szExeFile, sizeof record.szExeFile);
    const std::size_t kept = length < sizeof entry.exeFile ? length : sizeof entry.exeFile - 1;
    std::memcpy(entry.exeFile, record.szExeFile, kept);
    entry.exeFile[kept] = '\0';
    return true;
  }

  HMODULE kernel_;
  win32::FileHandle snapshot_;
  std::uint32_t& lastError_;
};

class Win32Toolhelp : public ToolhelpLibrary {
 public:
  Win32Toolhelp(ModuleHandle kernel, std::uint32_t& lastError)
      : kernel_(std::move(kernel)), lastError_(lastError) {}

  std::unique_ptr<ProcessSnapshot> snapshotProcesses() override {
    const auto create = lookUp<CreateSnapshotFunction>(kernel_.get(), "CreateToolhelp32Snapshot");
    if (!create) {
      lastError_ = ERROR_PROC_NOT_FOUND;
      return nullptr;
    }
    win32::FileHandle snapshot(create(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
      lastError_ = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32Snapshot>(kernel_.get(), std::move(snapshot), lastError_);
  }

 private:
  ModuleHandle kernel_;
  std::uint32_t& lastError_;
};

class Win32Psapi : public PsapiLibrary {
 public:
  Win32Psapi(ModuleHandle psapi, EnumProcessesFunction enumProcesses,
             ModuleFileNameFunction moduleFileName, WideModuleFileNameFunction wideModuleFileName,
             std::uint32_t& lastError)
      : psapi_(std::move(psapi)),
        enumProcesses_(enumProcesses),
        moduleFileName_(moduleFileName),
        wideModuleFileName_(wideModuleFileName),
        lastError_(lastError) {}

  bool enumProcesses(std::uint32_t* ids, std::uint32_t size,
                     std::uint32_t* bytesReturned) override {
    static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
    DWORD returned = 0;
    const BOOL done = enumProcesses_(reinterpret_cast<DWORD*>(ids), size, &returned);
    *bytesReturned = returned;
    if (!done) lastError_ = GetLastError();
    return done != FALSE;
  }

  std::uint32_t mainModulePath(ProcessHandle& process, char* buffer, std::uint32_t size) override {
    return copyModulePath(moduleFileName_, process, buffer, size);
  }

  std::uint32_t mainModulePathWide(ProcessHandle& process, char16_t* buffer,
                                   std::uint32_t size) override {
    if (!wideModuleFileName_) {
      lastError_ = ERROR_PROC_NOT_FOUND;
      return 0;
    }
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return copyModulePath(wideModuleFileName_, process, reinterpret_cast<wchar_t*>(buffer), size);
  }

 private:
  // GetModuleFileNameExA or W into a buffer of size units. One unit more than the caller's buffer
  // tells a path that fits from one that was cut.
  template <typename Function, typename Unit>
  std::uint32_t copyModulePath(Function moduleFileName, ProcessHandle& process, Unit* buffer,
                               std::uint32_t size) {
    std::basic_string<Unit> name(size + 1, Unit{});
    const DWORD length =
        moduleFileName(static_cast<Win32Process&>(process).get(), nullptr, name.data(), size + 1);
    if (length == 0) {
      lastError_ = GetLastError();
      return 0;
    }
    if (length >= size) {
      lastError_ = ERROR_INSUFFICIENT_BUFFER;
      return 0;
    }
    std::memcpy(buffer, name.data(), length * sizeof(Unit));
    buffer[length] = Unit{};
    return length;
  }

  ModuleHandle psapi_;
  EnumProcessesFunction enumProcesses_;
  ModuleFileNameFunction moduleFileName_;
  WideModuleFileNameFunction wideModuleFileName_;
  std::uint32_t& lastError_;
};

}  // namespace

std::unique_ptr<ToolhelpLibrary> Win32Platform::loadToolhelp() {
  ModuleHandle kernel(LoadLibraryA("Kernel32.dll"));
  if (!kernel) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32Toolhelp>(std::move(kernel), lastError_);
}

std::unique_ptr<PsapiLibrary> Win32Platform::loadPsapi() {
  ModuleHandle psapi(LoadLibraryA("psapi.dll"));
  if (!psapi) {
    failed();
    return nullptr;
  }
  const auto enumProcesses = lookUp<EnumProcessesFunction>(psapi.get(), "EnumProcesses");
  const auto moduleFileName = lookUp<ModuleFileNameFunction>(psapi.get(), "GetModuleFileNameExA");
  if (!enumProcesses || !moduleFileName) {
    lastError_ = ERROR_PROC_NOT_FOUND;
    return nullptr;
  }
  // The wide path of a module is optional: where psapi lacks it, only the ANSI paths are known.
  const auto wideModuleFileName =
      lookUp<WideModuleFileNameFunction>(psapi.get(), "GetModuleFileNameExW");
  return std::make_unique<Win32Psapi>(std::move(psapi), enumProcesses, moduleFileName,
                                      wideModuleFileName, lastError_);
}

std::unique_ptr<ProcessHandle> Win32Platform::openProcess(std::uint32_t access,
                                                          std::uint32_t processId) {
  ProcessHandleOwner process(OpenProcess(access, FALSE, processId));
  if (!process) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32Process>(std::move(process), lastError_);
}

}  // namespace vs
