// UTF-16 text and UTF-8: the registry's strings and the system's wide texts in the code page of a
// Linux host's names, and the report file's text.
#pragma once

#include <cstddef>
#include <string>

namespace vs {

// Converts count code units; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(const char16_t* units, std::size_t count);

// The same for little-endian UTF-16 bytes as a hive stores them; an odd last byte is dropped.
std::string utf16LeBytesToUtf8(const char* bytes, std::size_t length);

// Converts UTF-8 to UTF-16; a byte that does not begin or continue a valid sequence becomes
// U+FFFD.
std::u16string utf8ToUtf16(const char* text, std::size_t length);

}  // namespace vs
