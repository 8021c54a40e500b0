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

int readRegistryStringWide(Platform& os, const char* keyPath, const char16_t* valueName,
                           std::u16string& text, std::uint32_t capacity) {
  std::unique_ptr<RegistryKey> key;
  if (os.openMachineKey(keyPath, kKeyRead, key) != 0) return 0;
  const std::uint32_t bytes = capacity * 2;
  std::uint32_t size = 0;
  std::int32_t read = key->queryValueWide(valueName, nullptr, nullptr, &size);
  if (read == 0 && size > bytes) read = static_cast<std::int32_t>(kErrorMoreData);
  std::u16string buffer(capacity, u'\0');
  if (read == 0) {
    size = bytes;
    std::uint32_t type = kRegSz;
    read = key->queryValueWide(valueName, &type, buffer.data(), &size);
  }
  const std::int32_t closed = key->close();
  if (read != 0 || closed != 0 || size > bytes) return 0;
  // Stored data need not end with a terminator; the text ends at the first one.
  buffer.resize(size / 2);
  const std::size_t end = buffer.find(u'\0');
  if (end == std::u16string::npos && buffer.size() == capacity) return 0;
  text = buffer.substr(0, end);
  return 1;
}

int deleteRegistryValueWide(Platform& os, const char* keyPath, const char16_t* valueName) {
  std::unique_ptr<RegistryKey> key;
  if (os.openMachineKey(keyPath, kKeyAllAccess, key) != 0) return 0;
  const std::int32_t deleted = key->deleteValueWide(valueName);
  key->close();
  return deleted == 0 ? 1 : 0;
}

int deleteRegistryKey(Platform& os, const char* keyPath) {
  return os.deleteMachineKey(keyPath) == 0 ? 1 : 0;
}

}  // namespace vs
