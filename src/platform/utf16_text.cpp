#include "platform/utf16_text.h"

#include <cstdint>

namespace vs {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

void appendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

void appendUtf16(std::u16string& out, char32_t codePoint) {
  if (codePoint >= 0x10000) {
    out += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
  } else {
    out += static_cast<char16_t>(codePoint);
  }
}

std::size_t decodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint) {
  const auto lead = static_cast<std::uint8_t>(text[at]);
  // The sequence's length, and the smallest code point it may carry (shorter forms are not valid
  // UTF-8).
  std::size_t count = 0;
  char32_t c = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2;
    c = lead & 0x1F;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3;
    c = lead & 0x0F;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4;
    c = lead & 0x07;
    smallest = 0x10000;
  } else {
    return 0;  // a continuation byte, or a lead byte that no valid sequence has
  }
  if (at + count > text.size()) return 0;
  for (std::size_t k = 1; k < count; ++k) {
    const auto next = static_cast<std::uint8_t>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  codePoint = c;
  return count;
}

std::string utf16ToUtf8(const char16_t* units, std::size_t count) {
  std::string out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char16_t u = units[i];
    if (isHighSurrogate(u) && i + 1 < count && isLowSurrogate(units[i + 1])) {
      appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                          (static_cast<char32_t>(units[i + 1]) - 0xDC00));
      ++i;
    } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

std::string utf16LeBytesToUtf8(const char* bytes, std::size_t length) {
  std::u16string units(length / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                     (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return utf16ToUtf8(units.data(), units.size());
}

std::u16string utf8ToUtf16(const char* text, std::size_t length) {
  const std::string_view bytes(text, length);
  std::u16string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length;) {
    char32_t c = 0;
    const std::size_t count = decodeUtf8(bytes, i, c);
    if (count == 0) {
      out += static_cast<char16_t>(kReplacement);
      ++i;
      continue;
    }
    appendUtf16(out, c);
    i += count;
  }
  return out;
}

}  // namespace vs
