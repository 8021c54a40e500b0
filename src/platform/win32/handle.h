// Owners of the system handles the real backend opens. Files and find handles use
// INVALID_HANDLE_VALUE for "no handle"; keys, kernel objects, services and modules use null.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace vs::win32 {

struct FileHandleTraits {
  using Value = HANDLE;
  static Value invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Value value) noexcept { CloseHandle(value); }
};

struct FindHandleTraits {
  using Value = HANDLE;
  static Value invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Value value) noexcept { FindClose(value); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
// Kernel objects other than files: processes, tokens, events.
using KernelHandle = UniqueHandle<NullHandleTraits<HANDLE, CloseHandle>>;
using KeyHandle = UniqueHandle<NullHandleTraits<HKEY, RegCloseKey>>;
// The service control manager and the services opened through it (SC_HANDLE).
using ScmHandle = UniqueHandle<NullHandleTraits<SC_HANDLE, CloseServiceHandle>>;
using ModuleHandle = UniqueHandle<NullHandleTraits<HMODULE, FreeLibrary>>;

}  // namespace vs::win32
