#include "remediation/run_value_rules.h"

#include <string>

namespace vs {
namespace {

std::string lower(const char* text) {
  std::string result = text;
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

bool endsName(char c) {
  return c == '\0' || c == ' ' || c == '\t' || c == '"' || c == ',';
}
bool startsName(char c) {
  return c == ' ' || c == '\t' || c == '"' || c == '\\' || c == '/';
}

// The file name stands in the command as a whole name, not inside a longer one ("java.exe" does
// not name "a.exe").
bool namesFile(const std::string& command, const std::string& fileName) {
  for (std::size_t at = command.find(fileName); at != std::string::npos;
       at = command.find(fileName, at + 1)) {
    const bool before = at == 0 || startsName(command[at - 1]);
    const bool after = endsName(command.c_str()[at + fileName.size()]);
    if (before && after) return true;
  }
  return false;
}

// The command starts with the whole path, and the path ends where the program's name ends
// ("c:\a.exe -q" starts c:\a.exe; "c:\a.exe.old" does not).
bool startsWithPath(const std::string& command, const std::string& path) {
  const std::size_t skip = !command.empty() && command[0] == '"' ? 1 : 0;
  return command.compare(skip, path.size(), path) == 0 &&
         endsName(command.c_str()[skip + path.size()]);
}

}  // namespace

RunValueVerdict judgeRunValue(const char* data, const char* expanded, const char* filePath) {
  const std::string command = lower(data);
  const std::string expandedCommand = lower(expanded);
  const std::string path = lower(filePath);
  const std::size_t slash = path.rfind('\\');
  if (path.empty() || slash == std::string::npos) return RunValueVerdict::Keep;
  const std::string fileName = path.substr(slash + 1);

  const bool bareCommand = command.find('\\') == std::string::npos || command[0] == '\\';
  if (bareCommand && !fileName.empty() && namesFile(command, fileName)) {
    // A bare name is looked up in the system folders; elsewhere it names some other program.
    const bool inSystemFolder = path.find("\\system\\") != std::string::npos ||
                                path.find("\\system32\\") != std::string::npos;
    return inSystemFolder ? RunValueVerdict::RemoveByBareName : RunValueVerdict::Keep;
  }
  if (startsWithPath(command, path) || startsWithPath(expandedCommand, path)) {
    return RunValueVerdict::RemoveByFullPath;
  }
  return RunValueVerdict::Keep;
}

}  // namespace vs
