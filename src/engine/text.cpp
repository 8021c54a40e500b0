#include "engine/text.h"

#include <cstring>

namespace vs {

void copyText(char* destination, std::size_t capacity, const char* source) {
  if (capacity == 0) return;
  std::size_t length = std::strlen(source);
  if (length >= capacity) length = capacity - 1;
  std::memmove(destination, source, length);
  destination[length] = '\0';
}

bool appendText(char* destination, std::size_t capacity, const char* source) {
  std::size_t used = std::strlen(destination);
  std::size_t extra = std::strlen(source);
  if (used + extra >= capacity) return false;
  std::memcpy(destination + used, source, extra + 1);
  return true;
}

bool equalsIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
    const char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

}  // namespace vs
