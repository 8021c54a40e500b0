#include "platform/linux/variable_expansion.h"

#include "platform/windows_text.h"

namespace vs::linux_host {

std::string expandWindowsVariables(const std::string& text, const std::string& windowsFolder) {
  std::string out;
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t open = text.find('%', position);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      out.append(text, position, std::string::npos);
      break;
    }
    out.append(text, position, open - position);
    const std::string name = text.substr(open + 1, close - open - 1);
    const bool known = equalsIgnoringCase(name, "SystemRoot") || equalsIgnoringCase(name, "windir");
    if (known && !windowsFolder.empty()) {
      out += windowsFolder;
    } else {
      out.append(text, open, close - open + 1);
    }
    position = close + 1;
  }
  return out;
}

}  // namespace vs::linux_host
