#include "platform/volumes/windows_path.h"

#include <algorithm>
#include <cctype>

#include "platform/windows_text.h"

namespace vs::volumes {

bool parseWindowsPath(const char* path, WindowsPath& out) {
  if (!path || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':') return false;
  out.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  out.components = splitPath(path + 2, "\\/");
  if (std::find(out.components.begin(), out.components.end(), "..") != out.components.end()) {
    return false;
  }
  std::erase(out.components, ".");
  return true;
}

std::string relativeHostPath(const std::vector<std::string>& components) {
  if (components.empty()) return ".";
  std::string joined;
  for (const std::string& name : components) {
    if (!joined.empty()) joined += '/';
    joined += name;
  }
  return joined;
}

}  // namespace vs::volumes
