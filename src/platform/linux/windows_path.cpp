#include "platform/linux/windows_path.h"

#include <cctype>
#include <cstring>

namespace vs::linux_host {

bool parseWindowsPath(const char* path, WindowsPath& out) {
  if (!path || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':') return false;
  out.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  out.components.clear();
  const char* part = path + 2;
  while (*part) {
    const char* end = part + std::strcspn(part, "\\/");
    const std::string name(part, end);
    if (name == "..") return false;
    if (!name.empty() && name != ".") out.components.push_back(name);
    part = *end ? end + 1 : end;
  }
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

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace vs::linux_host
