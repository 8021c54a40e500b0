#include "platform/windows_text.h"

#include <cstring>

namespace vs {
namespace {

template <typename Char>
Char lowerAscii(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
bool matchFrom(std::basic_string_view<Char> mask, std::basic_string_view<Char> name) {
  for (std::size_t m = 0; m < mask.size(); ++m) {
    if (mask[m] == '*') {
      for (std::size_t rest = 0;; ++rest) {
        if (matchFrom(mask.substr(m + 1), name.substr(rest))) return true;
        if (rest == name.size()) return false;
      }
    }
    if (name.empty()) return false;
    if (mask[m] != '?' && lowerAscii(mask[m]) != lowerAscii(name.front())) return false;
    name.remove_prefix(1);
  }
  return name.empty();
}

template <typename Char>
bool namesEqual(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return namesEqual(a, b);
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return namesEqual(a, b);
}

bool wildcardMatches(std::string_view mask, std::string_view name) {
  if (mask == "*.*" || mask == "*") return true;
  return matchFrom(mask, name);
}

bool wildcardMatches(std::u16string_view mask, std::u16string_view name) {
  if (mask == u"*.*" || mask == u"*") return true;
  return matchFrom(mask, name);
}

std::vector<std::string> splitPath(std::string_view path, std::string_view separators) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of(separators, start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::uint32_t answerText(std::string_view text, char* buffer, std::uint32_t size) {
  if (text.empty()) return 0;
  const auto length = static_cast<std::uint32_t>(text.size());
  if (length >= size) return length + 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

}  // namespace vs
