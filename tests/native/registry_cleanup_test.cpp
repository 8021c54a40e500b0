// The registry cleanup after a detection: the Run values that start the infected file, the value
// remembered from an earlier detection, the hosts file, and the malware's uninstall entry.
#include "remediation/registry_cleanup.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "remediation_fixture.h"

namespace vs::test {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;
constexpr const char* kRunLine = "System Registry     W32/Talvorn.Trojan removed";

class RegistryCleanupTest : public RemediationFixture {
 protected:
  void setValues(const std::string& key, const Values& values) {
    for (const auto& [valueName, data] : values) os.registry.setString(key, valueName, data);
  }
  void underCheck(const char* path) { copyPath(session.currentFilePath, path); }
  static void copyPath(char (&to)[kMaxPath + 1], const char* path) {
    std::snprintf(to, sizeof to, "%s", path);
  }
};

TEST_F(RegistryCleanupTest, RunValuesThatStartTheFileAreDeleted) {
  struct Case {
    const char* what;
    const char* filePath;
    Values values;
    std::vector<std::string> kept;
    const char* remembered;
  };
  const std::string longData = "C:\\WINDOWS\\SYSTEM32\\X.EXE " + std::string(300, 'q');
  const std::string longName(200, 'n');
  const Case cases[] = {
      {"full path in another letter case, with an argument",
       "C:\\WINDOWS\\SYSTEM32\\X.EXE",
       {{"a", "keep.exe"}, {"x", "c:\\windows\\system32\\x.exe -q"}},
       {"a"},
       "x"},
      {"quoted path with a variable",
       "C:\\WINDOWS\\x.exe",
       {{"q", "\"%windir%\\x.exe\""}},
       {},
       "q"},
      {"bare name, file in the system folder",
       "C:\\WINDOWS\\SYSTEM32\\x.exe",
       {{"bare", "x.exe"}},
       {},
       "bare"},
      {"bare name, file elsewhere", "C:\\temp\\x.exe", {{"bare", "x.exe"}}, {"bare"}, ""},
      {"a bare name inside a longer one",
       "C:\\WINDOWS\\SYSTEM\\a.exe",
       {{"java", "java.exe"}},
       {"java"},
       ""},
      {"a path that goes on past the file's name",
       "C:\\apps\\x.exe",
       {{"old", "c:\\apps\\x.exe.old"}},
       {"old"},
       ""},
      {"adjacent matches of both rules, then one to keep",
       "C:\\WINDOWS\\SYSTEM\\x.exe",
       {{"one", "x.exe /s"},
        {"two", "C:\\WINDOWS\\SYSTEM\\X.EXE"},
        {"three", "other.exe"},
        {"four", "%SystemRoot%\\system\\x.exe"}},
       {"three"},
       "four"},
      {"data longer than the buffer is skipped",
       "C:\\WINDOWS\\SYSTEM32\\X.EXE",
       {{"long", longData}},
       {"long"},
       ""},
      {"an expansion longer than its buffer is skipped",
       "C:\\WINDOWS\\SYSTEM32\\X.EXE",
       {{"grows",
         "%windir%%windir%%windir%%windir%%windir%%windir%%windir%%windir%%windir%"
         "%windir%%windir%%windir%%windir%%windir%%windir%%windir%%windir%%windir%"
         "%windir%%windir%%windir%%windir%%windir%%windir%%windir%%windir%"}},
       {"grows"},
       ""},
      {"a name too long to remember is deleted but not remembered",
       "C:\\apps\\x.exe",
       {{longName, "c:\\apps\\x.exe"}},
       {},
       ""},
      {"a path without a folder looks at nothing", "x.exe", {{"bare", "x.exe"}}, {"bare"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.registry.root.subkeys.clear();
    reportLines.clear();
    session.rememberedRunValue[0] = '\0';
    setValues(kRun, c.values);
    underCheck(c.filePath);

    removeRunEntries(ctx, kRunKey);
    EXPECT_EQ(os.registry.valueNames(kRun), c.kept);
    const std::size_t removed = c.values.size() - c.kept.size();
    EXPECT_EQ(reportLines, std::vector<std::string>(removed, kRunLine));
    EXPECT_STREQ(session.rememberedRunValue, c.remembered);
  }
}

TEST_F(RegistryCleanupTest, AValueThatCannotBeDeletedIsRememberedButNotReported) {
  setValues(kRun, {{"x", "c:\\apps\\x.exe"}});
  os.registry.findKey(kRun)->denyWrite = true;
  underCheck("C:\\apps\\x.exe");
  removeRunEntries(ctx, kRunKey);
  EXPECT_EQ(os.registry.valueNames(kRun), std::vector<std::string>{"x"});
  EXPECT_TRUE(reportLines.empty());
  EXPECT_STREQ(session.rememberedRunValue, "x");  // the full-path rule remembers first
}

TEST_F(RegistryCleanupTest, TheRememberedValueIsDeletedFromItsThreeKeysUnderTheDetectionName) {
  for (const std::string& key : {kRun, kRunServices, kUninstall}) {
    setValues(key, {{"abc", "whatever.exe"}, {"other", "c:\\keep.exe"}});
  }
  os.registry.findKey(kRunServices)->values.front().name = "ABC";  // names ignore letter case
  std::snprintf(session.rememberedRunValue, sizeof session.rememberedRunValue, "abc");

  removeRegistryTraces(ctx, "W32/Talvorn.Cgx.Trojan");
  const std::string line = "System Registry     W32/Talvorn.Cgx.Trojan removed";
  EXPECT_EQ(reportLines, std::vector<std::string>(3, line));
  for (const std::string& key : {kRun, kRunServices, kUninstall}) {
    EXPECT_EQ(os.registry.valueNames(key), std::vector<std::string>{"other"}) << key;
  }

  // Where the value is gone already, the deletion fails silently and the others go on.
  reportLines.clear();
  os.registry.setString(kUninstall, "abc", "x");
  removeRegistryTraces(ctx, "W32/Talvorn.Cgx.Trojan");
  EXPECT_EQ(reportLines, std::vector<std::string>{line});
}

TEST_F(RegistryCleanupTest, BothRunKeysAreScannedForTheFileUnderCheck) {
  setValues(kRun, {{"r", "c:\\apps\\x.exe"}});
  setValues(kRunServices, {{"s", "\"C:\\Apps\\X.exe\" -service"}});
  underCheck("C:\\apps\\x.exe");
  EXPECT_EQ(removeRegistryTraces(ctx, name().c_str()), 1);
  EXPECT_TRUE(os.registry.valueNames(kRun).empty());
  EXPECT_TRUE(os.registry.valueNames(kRunServices).empty());
  EXPECT_EQ(reportLines, std::vector<std::string>(2, kRunLine));
  EXPECT_STREQ(session.rememberedRunValue, "s");
}

TEST_F(RegistryCleanupTest, NothingIsReportedWithoutAMainWindow) {
  setValues(kRun, {{"r", "c:\\apps\\x.exe"}});
  underCheck("C:\\apps\\x.exe");
  session.mainWindow = 0;
  removeRegistryTraces(ctx, name().c_str());
  EXPECT_TRUE(os.registry.valueNames(kRun).empty());
  EXPECT_TRUE(reportLines.empty());
}

TEST_F(RegistryCleanupTest, TheHostsFileOfEachSystemFamilyGoesToTheAttachmentCheck) {
  struct Row {
    std::optional<VersionInfo> version;
    std::vector<std::string> opened;
  };
  const Row rows[] = {
      {kWindowsXp, {"open C:\\WINDOWS\\system32\\drivers\\etc\\hosts"}},
      {kWindows98, {"open C:\\WINDOWS\\hosts"}},
      {VersionInfo{kPlatformWin32s, 3, 10}, {}},
      {std::nullopt, {}},
  };
  for (const Row& row : rows) {
    os.calls.clear();
    os.versionInfo = row.version;
    setValues(kRun, {{"r", "c:\\apps\\x.exe"}});
    underCheck("C:\\apps\\x.exe");
    removeRegistryTraces(ctx, name().c_str());
    EXPECT_EQ(os.callsStartingWith("open "), row.opened);
    // The registry steps run on every system.
    EXPECT_TRUE(os.registry.valueNames(kRun).empty());
  }
}

TEST_F(RegistryCleanupTest, AHostsPathTooLongForItsBufferIsNotExamined) {
  os.systemDirectoryPath = "C:\\" + std::string(250, 's');
  removeRegistryTraces(ctx, name().c_str());
  EXPECT_TRUE(os.callsStartingWith("open ").empty());
}

TEST_F(RegistryCleanupTest, TheUninstallEntryAndItsRunValueAreRemovedWhenTheyPointAtTheMalware) {
  struct Case {
    const char* what;
    std::optional<std::string> uninstallString;
    std::optional<std::string> runValue;
    int result;
    bool uninstallKept;
    bool runKept;
  };
  const Case cases[] = {
      {"both point at the malware", "C:\\x\\uninstall.exe", "C:\\x\\rhcjg7j0e38v.exe", 1, false,
       false},
      {"an uninstall string of another program stays; the Run value is still looked at",
       "C:\\x\\remove.exe", "rhcjg7j0e38v.exe -q", 1, true, false},
      {"the comparison minds letter case", "C:\\x\\UNINSTALL.EXE", "RHCJG7J0E38V.EXE", 1, true,
       true},
      {"without an uninstall string the Run value is not looked at", std::nullopt,
       "C:\\x\\rhcjg7j0e38v.exe", 0, false, true},
      {"without the Run value", "uninstall.exe", std::nullopt, 0, false, false},
      {"an uninstall string longer than its buffer is not read",
       std::string(120, 'a') + "uninstall.exe", "rhcjg7j0e38v.exe", 0, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.registry.root.subkeys.clear();
    os.registry.addKey(kUninstall);
    os.registry.setString(kRun, "keep", "c:\\keep.exe");
    if (c.uninstallString) os.registry.setString(kUninstall, "UninstallString", *c.uninstallString);
    if (c.runValue) os.registry.setString(kRun, "SMrhcjg7j0e38v", *c.runValue);

    EXPECT_EQ(removeUninstallEntry(ctx), c.result);
    EXPECT_EQ(os.registry.hasValue(kUninstall, "UninstallString"),
              c.uninstallString && c.uninstallKept);
    EXPECT_EQ(os.registry.hasValue(kRun, "SMrhcjg7j0e38v"), c.runValue && c.runKept);
    EXPECT_TRUE(os.registry.hasValue(kRun, "keep"));
    EXPECT_TRUE(reportLines.empty());
  }
}

TEST_F(RegistryCleanupTest, AFailedDeletionOrCloseOfTheUninstallEntryIsAFailure) {
  os.registry.setString(kUninstall, "UninstallString", "uninstall.exe");
  os.registry.setString(kRun, "SMrhcjg7j0e38v", "rhcjg7j0e38v.exe");
  os.registry.findKey(kUninstall)->denyWrite = true;
  EXPECT_EQ(removeUninstallEntry(ctx), 0);
  EXPECT_TRUE(os.registry.hasValue(kRun, "SMrhcjg7j0e38v"));

  os.registry.findKey(kUninstall)->denyWrite = false;
  os.registry.findKey(kRun)->closeError = 1;
  EXPECT_EQ(removeUninstallEntry(ctx), 0);
  EXPECT_FALSE(os.registry.hasValue(kRun, "SMrhcjg7j0e38v"));
}

}  // namespace
}  // namespace vs::test
