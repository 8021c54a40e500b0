// Which Run-value commands start the infected file.
#include "remediation/run_value_rules.h"

#include <gtest/gtest.h>

namespace vs::test {
namespace {

TEST(RunValueRules, CommandsThatStartTheFileAndCommandsThatDoNot) {
  using V = RunValueVerdict;
  struct Row {
    const char* data;
    const char* expanded;
    const char* path;
    V verdict;
  };
  const Row rows[] = {
      // Full paths, any letter case, with arguments, quoted, through environment variables.
      {"c:\\windows\\system32\\x.exe -q", "c:\\windows\\system32\\x.exe -q",
       "C:\\WINDOWS\\SYSTEM32\\X.EXE", V::RemoveByFullPath},
      {"\"%windir%\\x.exe\"", "\"c:\\windows\\x.exe\"", "C:\\Windows\\x.exe", V::RemoveByFullPath},
      {"\"C:\\Temp\\x.exe\" /run", "\"C:\\Temp\\x.exe\" /run", "c:\\temp\\x.exe",
       V::RemoveByFullPath},
      {"c:\\temp\\x.exe.old", "c:\\temp\\x.exe.old", "c:\\temp\\x.exe", V::Keep},
      {"c:\\other\\x.exe", "c:\\other\\x.exe", "c:\\temp\\x.exe", V::Keep},
      // Bare names count only for files in a system folder.
      {"x.exe", "x.exe", "C:\\WINDOWS\\SYSTEM32\\x.exe", V::RemoveByBareName},
      {"X.EXE -boot", "X.EXE -boot", "C:\\Windows\\System\\x.exe", V::RemoveByBareName},
      {"\\x.exe", "\\x.exe", "C:\\Windows\\System32\\x.exe", V::RemoveByBareName},
      {"x.exe", "x.exe", "c:\\temp\\x.exe", V::Keep},
      // A longer name that merely contains the file's name is another program.
      {"java.exe", "java.exe", "C:\\Windows\\System32\\a.exe", V::Keep},
      {"rundll32.exe shell32.dll", "rundll32.exe shell32.dll", "C:\\Windows\\System32\\ll32.dll",
       V::Keep},
      // A library started through rundll32 is named by the command.
      {"rundll32.exe a.dll,Start", "rundll32.exe a.dll,Start", "C:\\Windows\\System32\\a.dll",
       V::RemoveByBareName},
      // No file under check, or a path without a folder.
      {"x.exe", "x.exe", "", V::Keep},
      {"x.exe", "x.exe", "x.exe", V::Keep},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(judgeRunValue(row.data, row.expanded, row.path), row.verdict)
        << row.data << " for " << row.path;
  }
}

}  // namespace
}  // namespace vs::test
