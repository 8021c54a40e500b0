#include "platform/image/tsk_handles.h"

namespace vs::image {

std::string takeLibraryError(const char* whatFailed) {
  const char* text = tsk_error_get();
  std::string line;
  // The library's messages run over several lines and end with one.
  for (const char* c = text ? text : ""; *c; ++c) {
    if (*c == '\n' || *c == '\r') {
      if (!line.empty() && line.back() != ' ') line += "; ";
    } else {
      line += *c;
    }
  }
  while (!line.empty() && (line.back() == ' ' || line.back() == ';')) line.pop_back();
  tsk_error_reset();
  return line.empty() ? whatFailed : line;
}

}  // namespace vs::image
