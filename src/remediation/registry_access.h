// Single registry operations below HKEY_LOCAL_MACHINE, each opening and closing its own key.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vs {

// Deletes a value. Returns 1 when it was deleted, whether or not the key then closed, else 0.
int deleteRegistryValue(Platform& os, const char* keyPath, const char* valueName);

// Reads a value's data into buffer (capacity bytes) as a zero-terminated text; the type is not
// looked at. Returns 1 when the key opened, the data fitted and the key closed without error;
// data too long for the buffer is not read (0).
int readRegistryString(Platform& os, const char* keyPath, const char* valueName, char* buffer,
                       std::uint32_t capacity);

// Reads a value of an open key as readRegistryString does: its size first, then its data, which
// must leave room for the terminator. Returns the registry's error code, ERROR_MORE_DATA for data
// too long for the buffer.
std::int32_t readValueText(RegistryKey& key, const char* valueName, char* buffer,
                           std::uint32_t capacity);

// The same through the registry's wide calls, for names and data that the code page cannot spell:
// a value's data as UTF-16 text of at most capacity units (terminator included; longer data is
// not read), and the deletion of a value by its wide name.
int readRegistryStringWide(Platform& os, const char* keyPath, const char16_t* valueName,
                           std::u16string& text, std::uint32_t capacity);
int deleteRegistryValueWide(Platform& os, const char* keyPath, const char16_t* valueName);

// Deletes one key (not its subkeys). Returns 1 when deleted, else 0.
int deleteRegistryKey(Platform& os, const char* keyPath);

}  // namespace vs
