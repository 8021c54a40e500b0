// UTF-16 text (the registry's strings, the system's wide texts) in the code page of this host's
// names, UTF-8, so that a path read from the registry compares with the names of the volume.
#pragma once

#include <cstddef>
#include <string>

namespace vs::linux_host {

// Converts count code units; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(const char16_t* units, std::size_t count);

// The same for little-endian UTF-16 bytes as a hive stores them; an odd last byte is dropped.
std::string utf16LeBytesToUtf8(const char* bytes, std::size_t length);

}  // namespace vs::linux_host
