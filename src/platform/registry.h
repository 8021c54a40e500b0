// The registry below HKEY_LOCAL_MACHINE, and the performance data the system publishes through it.
#pragma once

#include <cstdint>
#include <memory>

namespace vs {

// Registry access masks and value types.
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegMultiSz = 7;

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
  // RegQueryValueExW, RegEnumValueW (name only) and RegDeleteValueW: the same contracts with names
  // and strings in UTF-16; sizes stay in bytes, name lengths count UTF-16 units. Strings that the
  // code page cannot spell reach the program whole only through these.
  virtual std::int32_t queryValueWide(const char16_t* name, std::uint32_t* type, void* data,
                                      std::uint32_t* size) = 0;
  virtual std::int32_t enumValueNameWide(std::uint32_t index, char16_t* name,
                                         std::uint32_t* nameLength) = 0;
  virtual std::int32_t deleteValueWide(const char16_t* name) = 0;
  // RegCloseKey, reporting its result; every later call on the key fails.
  virtual std::int32_t close() = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExA below HKEY_LOCAL_MACHINE; key is set only on success.
  virtual std::int32_t openMachineKey(const char* path, std::uint32_t access,
                                      std::unique_ptr<RegistryKey>& key) = 0;
  // RegDeleteKeyA below HKEY_LOCAL_MACHINE.
  virtual std::int32_t deleteMachineKey(const char* path) = 0;
  // HKEY_PERFORMANCE_DATA: queryValue with an object's index text as the value name gives that
  // object's performance-data block; close() is RegCloseKey on the root. Null where the system
  // publishes none.
  virtual std::unique_ptr<RegistryKey> performanceData() = 0;
};

}  // namespace vs
