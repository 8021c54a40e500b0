#include "remediation/registry_access.h"

#include <memory>

namespace vs {

int deleteRegistryValue(Platform& os, const char* keyPath, const char* valueName) {
  std::unique_ptr<RegistryKey> key;
  if (os.openMachineKey(keyPath, kKeyAllAccess, key) != 0) return 0;
  const std::int32_t deleted = key->deleteValue(valueName);
  // A key that fails to close has lost the value all the same: the caller reports the deletion
  // and counts it, or the report would miss a change the scan made.
  key->close();
  return deleted == 0 ? 1 : 0;
}

std::int32_t readValueText(RegistryKey& key, const char* valueName, char* buffer,
                           std::uint32_t capacity) {
  if (capacity == 0) return static_cast<std::int32_t>(kErrorMoreData);
  std::uint32_t size = 0;
  if (const std::int32_t error = key.queryValue(valueName, nullptr, nullptr, &size)) return error;
  // The registry would write as many bytes as the value holds: a value longer than the buffer is
  // not read at all.
  if (size > capacity) return static_cast<std::int32_t>(kErrorMoreData);
  std::uint32_t type = kRegSz;
  if (const std::int32_t error = key.queryValue(valueName, &type, buffer, &size)) return error;
  if (size > capacity) return static_cast<std::int32_t>(kErrorMoreData);
  // Stored data need not end with a terminator; one that does not fit is a value too long.
  if (size == capacity && buffer[size - 1] != '\0')
    return static_cast<std::int32_t>(kErrorMoreData);
  buffer[size < capacity ? size : capacity - 1] = '\0';
  return 0;
}

int readRegistryString(Platform& os, const char* keyPath, const char* valueName, char* buffer,
                       std::uint32_t capacity) {
  std::unique_ptr<RegistryKey> key;
  if (os.openMachineKey(keyPath, kKeyRead, key) != 0) return 0;
  const std::int32_t read = readValueText(*key, valueName, buffer, capacity);
  const std::int32_t closed = key->close();
  return read == 0 && closed == 0 ? 1 : 0;
}

int deleteRegistryKey(Platform& os, const char* keyPath) {
  return os.deleteMachineKey(keyPath) == 0 ? 1 : 0;
}

}  // namespace vs
