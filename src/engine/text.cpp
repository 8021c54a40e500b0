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

}  // namespace vs
