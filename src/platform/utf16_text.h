// UTF-16 text and UTF-8: the registry's strings and the system's wide texts in the code page of a
// Linux host's names, and the report file's text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vs {

// The code point of the valid UTF-8 sequence that starts at text[at], and its length in bytes; 0
// when no valid sequence starts there (a stray or missing continuation byte, an over-long form, a
// surrogate, beyond U+10FFFF).
std::size_t decodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint);
// Appends a code point in UTF-8, or in UTF-16 (a surrogate pair beyond U+FFFF).
void appendUtf8(std::string& out, char32_t codePoint);
void appendUtf16(std::u16string& out, char32_t codePoint);

// Converts count code units; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(const char16_t* units, std::size_t count);

// The same for little-endian UTF-16 bytes as a hive stores them; an odd last byte is dropped.
std::string utf16LeBytesToUtf8(const char* bytes, std::size_t length);

// Converts UTF-8 to UTF-16; a byte that does not begin or continue a valid sequence becomes
// U+FFFD.
std::u16string utf8ToUtf16(const char* text, std::size_t length);

}  // namespace vs
