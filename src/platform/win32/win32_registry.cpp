// The registry of the real machine: keys below HKEY_LOCAL_MACHINE and the performance-data root.
#include <windows.h>

#include <memory>
#include <utility>

#include "platform/win32/handle.h"
#include "platform/win32/wide_calls.h"
#include "platform/win32/win32_platform.h"

namespace vs {
namespace {

static_assert(kKeyRead == KEY_READ && kKeyAllAccess == KEY_ALL_ACCESS);
static_assert(kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ && kRegMultiSz == REG_MULTI_SZ);
static_assert(kErrorMoreData == ERROR_MORE_DATA && kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);

using win32::KeyHandle;

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}

  std::int32_t queryValue(const char* name, std::uint32_t* type, void* data,
                          std::uint32_t* size) override {
    DWORD valueType = type ? *type : 0;
    DWORD length = *size;
    const LONG result = RegQueryValueExA(key_.get(), name, nullptr, type ? &valueType : nullptr,
                                         static_cast<BYTE*>(data), &length);
    *size = length;
    if (type) *type = valueType;
    return result;
  }

  std::int32_t valueCount(std::uint32_t& count) override {
    DWORD values = 0;
    const LONG result = RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    count = values;
    return result;
  }

  std::int32_t enumValueName(std::uint32_t index, char* name, std::uint32_t* nameLength) override {
    DWORD length = *nameLength;
    const LONG result =
        RegEnumValueA(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    *nameLength = length;
    return result;
  }

  std::int32_t deleteValue(const char* name) override { return RegDeleteValueA(key_.get(), name); }

  // The wide calls are looked up by name (win32/wide_calls.h); without them, as on the 9x line,
  // they answer ERROR_CALL_NOT_IMPLEMENTED.
  std::int32_t queryValueWide(const char16_t* name, std::uint32_t* type, void* data,
                              std::uint32_t* size) override {
    if (!win32::wideCalls().available) return ERROR_CALL_NOT_IMPLEMENTED;
    DWORD valueType = type ? *type : 0;
    DWORD length = *size;
    const LONG result = win32::wideCalls().regQueryValueEx(
        key_.get(), reinterpret_cast<const wchar_t*>(name), nullptr, type ? &valueType : nullptr,
        static_cast<BYTE*>(data), &length);
    *size = length;
    if (type) *type = valueType;
    return result;
  }

  std::int32_t enumValueNameWide(std::uint32_t index, char16_t* name,
                                 std::uint32_t* nameLength) override {
    if (!win32::wideCalls().available) return ERROR_CALL_NOT_IMPLEMENTED;
    DWORD length = *nameLength;
    const LONG result =
        win32::wideCalls().regEnumValue(key_.get(), index, reinterpret_cast<wchar_t*>(name),
                                        &length, nullptr, nullptr, nullptr, nullptr);
    *nameLength = length;
    return result;
  }

  std::int32_t deleteValueWide(const char16_t* name) override {
    if (!win32::wideCalls().available) return ERROR_CALL_NOT_IMPLEMENTED;
    return win32::wideCalls().regDeleteValue(key_.get(), reinterpret_cast<const wchar_t*>(name));
  }

  std::int32_t close() override {
    if (!key_) return ERROR_INVALID_HANDLE;
    return RegCloseKey(key_.release());
  }

 private:
  KeyHandle key_;
};

}  // namespace

std::int32_t Win32Platform::openMachineKey(const char* path, std::uint32_t access,
                                           std::unique_ptr<RegistryKey>& key) {
  HKEY opened = nullptr;
  const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &opened);
  if (result == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(opened);
  return result;
}

std::int32_t Win32Platform::deleteMachineKey(const char* path) {
  return RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

std::unique_ptr<RegistryKey> Win32Platform::performanceData() {
  // A predefined key needs no opening; closing it releases what the queries gathered.
  return std::make_unique<Win32RegistryKey>(HKEY_PERFORMANCE_DATA);
}

}  // namespace vs
