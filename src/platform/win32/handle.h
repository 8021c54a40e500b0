// Ownership of system handles: one template, with traits that name the close function and the
// value that means "no handle" (INVALID_HANDLE_VALUE for files and find handles, NULL for keys,
// processes and services). A handle closes when its owner goes out of scope, on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace vs::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() noexcept : value_(Traits::invalid()) {}
  explicit UniqueHandle(Value value) noexcept : value_(value) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Value get() const noexcept { return value_; }
  bool valid() const noexcept { return value_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives up ownership without closing.
  Value release() noexcept { return std::exchange(value_, Traits::invalid()); }

  // Closes the handle held, if any, and takes the new one.
  void reset(Value value = Traits::invalid()) noexcept {
    const Value old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  Value value_;
};

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

// Kernel objects other than files (processes, tokens, events) use null for "none".
struct KernelHandleTraits {
  using Value = HANDLE;
  static Value invalid() noexcept { return nullptr; }
  static void close(Value value) noexcept { CloseHandle(value); }
};

struct KeyHandleTraits {
  using Value = HKEY;
  static Value invalid() noexcept { return nullptr; }
  static void close(Value value) noexcept { RegCloseKey(value); }
};

struct ServiceHandleTraits {
  using Value = SC_HANDLE;
  static Value invalid() noexcept { return nullptr; }
  static void close(Value value) noexcept { CloseServiceHandle(value); }
};

struct ModuleHandleTraits {
  using Value = HMODULE;
  static Value invalid() noexcept { return nullptr; }
  static void close(Value value) noexcept { FreeLibrary(value); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using KeyHandle = UniqueHandle<KeyHandleTraits>;
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;
using ModuleHandle = UniqueHandle<ModuleHandleTraits>;

}  // namespace vs::win32
