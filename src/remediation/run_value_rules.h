// Whether a Run or RunServices value starts the infected file under check.
#pragma once

#include <string_view>

namespace vs {

enum class RunValueVerdict {
  Keep,
  // The command names the file by its bare name and the file lies in a system folder.
  RemoveByBareName,
  // The command, raw or with environment variables expanded, quoted or not, starts with the
  // file's full path.
  RemoveByFullPath,
};

// data: the value's command as stored; expanded: the same after environment expansion;
// filePath: the full path of the infected file. Letter case is ignored throughout.
RunValueVerdict judgeRunValue(const char* data, const char* expanded, const char* filePath);

// The same rules on the registry's wide text, for a file that only the wide calls reach.
RunValueVerdict judgeRunValue(std::u16string_view data, std::u16string_view expanded,
                              std::u16string_view filePath);

}  // namespace vs
