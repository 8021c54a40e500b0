#include "remediation/run_value_rules.h"

#include <string>

namespace vs {
namespace {

template <typename Char>
using Text = std::basic_string<Char>;

template <typename Char>
Text<Char> lower(std::basic_string_view<Char> text) {
  Text<Char> result(text);
  for (Char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<Char>(c - 'A' + 'a');
  }
  return result;
}

template <typename Char>
bool endsName(Char c) {
  return c == '\0' || c == ' ' || c == '\t' || c == '"' || c == ',';
}
template <typename Char>
bool startsName(Char c) {
  return c == ' ' || c == '\t' || c == '"' || c == '\\' || c == '/';
}

// The file name stands in the command as a whole name, not inside a longer one ("java.exe" does
// not name "a.exe").
template <typename Char>
bool namesFile(const Text<Char>& command, const Text<Char>& fileName) {
  for (std::size_t at = command.find(fileName); at != Text<Char>::npos;
       at = command.find(fileName, at + 1)) {
    const bool before = at == 0 || startsName(command[at - 1]);
    const bool after = endsName(command.c_str()[at + fileName.size()]);
    if (before && after) return true;
  }
  return false;
}

// The command starts with the whole path, and the path ends where the program's name ends
// ("c:\a.exe -q" starts c:\a.exe; "c:\a.exe.old" does not).
template <typename Char>
bool startsWithPath(const Text<Char>& command, const Text<Char>& path) {
  const std::size_t skip = !command.empty() && command[0] == '"' ? 1 : 0;
  return command.compare(skip, path.size(), path) == 0 &&
         endsName(command.c_str()[skip + path.size()]);
}

template <typename Char>
RunValueVerdict judge(std::basic_string_view<Char> data, std::basic_string_view<Char> expanded,
                      std::basic_string_view<Char> filePath) {
  const Text<Char> command = lower(data);
  const Text<Char> expandedCommand = lower(expanded);
  const Text<Char> path = lower(filePath);
  const std::size_t slash = path.rfind(Char('\\'));
  if (path.empty() || slash == Text<Char>::npos) return RunValueVerdict::Keep;
  const Text<Char> fileName = path.substr(slash + 1);

  const bool bareCommand = command.find(Char('\\')) == Text<Char>::npos || command[0] == '\\';
  if (bareCommand && !fileName.empty() && namesFile(command, fileName)) {
    // A bare name is looked up in the system folders; elsewhere it names some other program.
    const Text<Char> system{'\\', 's', 'y', 's', 't', 'e', 'm', '\\'};
    const Text<Char> system32{'\\', 's', 'y', 's', 't', 'e', 'm', '3', '2', '\\'};
    const bool inSystemFolder =
        path.find(system) != Text<Char>::npos || path.find(system32) != Text<Char>::npos;
    return inSystemFolder ? RunValueVerdict::RemoveByBareName : RunValueVerdict::Keep;
  }
  if (startsWithPath(command, path) || startsWithPath(expandedCommand, path)) {
    return RunValueVerdict::RemoveByFullPath;
  }
  return RunValueVerdict::Keep;
}

}  // namespace

RunValueVerdict judgeRunValue(const char* data, const char* expanded, const char* filePath) {
  return judge<char>(data, expanded, filePath);
}

RunValueVerdict judgeRunValue(std::u16string_view data, std::u16string_view expanded,
                              std::u16string_view filePath) {
  return judge<char16_t>(data, expanded, filePath);
}

}  // namespace vs
