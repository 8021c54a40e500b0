// The simulated machine's ANSI code page, Latin-1: a byte is the code point of its value, and a
// character beyond it has no spelling ("?" stands in its place). Only the machine's own sources
// include this.
#pragma once

#include <string>
#include <string_view>

#include "platform/utf16_text.h"

namespace vs::sim {

inline bool latin1Spells(std::u16string_view text) {
  for (const char16_t unit : text) {
    if (unit > 0xFF) return false;
  }
  return true;
}

inline std::string latin1Rendering(std::u16string_view text) {
  std::string rendered;
  for (const char16_t unit : text) rendered += unit <= 0xFF ? static_cast<char>(unit) : '?';
  return rendered;
}

inline std::u16string latin1Widened(std::string_view text) {
  std::u16string wide;
  for (const char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

// A wide path as the call log writes it.
inline std::string logText(std::u16string_view text) {
  return utf16ToUtf8(text.data(), text.size());
}

}  // namespace vs::sim
