// The two roads of the walk on the simulated machine, whose code page is Latin-1: what the ANSI
// calls reach stays on them, call for call; a name the code page cannot spell and a path longer
// than the ANSI buffers go through the wide calls on the NT line, to the same tests, deletions,
// kills, registry rules and report lines; the 9x line, which has no wide calls, names them as not
// scanned in the report file.
#include <gtest/gtest.h>

#include "engine/matcher.h"
#include "engine/scan_driver.h"
#include "engine/walk.h"
#include "platform/utf16_text.h"
#include "remediation/process_kill.h"
#include "remediation/process_scan.h"
#include "remediation_fixture.h"
#include "unattended/run_machine.h"

namespace vs::test {
namespace {

std::string utf8(std::u16string_view text) {
  return utf16ToUtf8(text.data(), text.size());
}

std::u16string widenedAscii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// A path of exactly length characters in folder.
std::u16string pathOfLength(const std::u16string& folder, std::size_t length) {
  return folder + u"\\" + std::u16string(length - folder.size() - 1 - 4, u'f') + u".exe";
}

const std::u16string kDeep = u"C:\\long\\" + std::u16string(200, u'd');
// Two names the code page spells alike, "??.exe", and a third.
const std::u16string kJapan = u"C:\\c\\\u65E5\u672C.exe";
const std::u16string kChina = u"C:\\c\\\u4E2D\u56FD.exe";
const std::u16string kChinese = u"C:\\c\\\u4E2D\u6587.exe";

class WideRoadTest : public RemediationFixture {
 protected:
  WideRoadTest() {
    onMessage = [this](std::uint32_t message) {
      const bool wide = !session.reportLineWide.empty();
      const std::string line = wide ? utf8(session.reportLineWide) : session.reportLine;
      if (message == kStatusMsgAddLine) {
        lines.push_back(line);
        wideLines.push_back(wide);
      }
      if (message == kStatusMsgNotScanned) notScanned.push_back(line);
    };
  }

  static std::string fileLine(const std::u16string& path, const std::string& outcome,
                              const std::string& detection = name()) {
    return utf8(path) + "     " + detection + " " + outcome;
  }

  std::vector<std::string> lines;  // as the system shows them
  std::vector<bool> wideLines;     // whether each came with wide text
  std::vector<std::string> notScanned;
};

TEST_F(WideRoadTest, EachNameAndDepthTakesItsRoad) {
  struct Case {
    const char* what;
    std::u16string path;
    bool wide;
    std::string shown;  // the line's path in the code page
  };
  const std::u16string unlisted = kDeep + u"\\" + std::u16string(256 - kDeep.size() - 1, u'e');
  const Case cases[] = {
      {"259 characters", pathOfLength(kDeep, 259), false, utf8(pathOfLength(kDeep, 259))},
      {"260 characters", pathOfLength(kDeep, 260), true, utf8(pathOfLength(kDeep, 260))},
      {"261 characters", pathOfLength(kDeep, 261), true, utf8(pathOfLength(kDeep, 261))},
      {"300 characters", pathOfLength(kDeep, 300), true, utf8(pathOfLength(kDeep, 300))},
      {"a folder whose pattern does not fit", unlisted + u"\\a", true, utf8(unlisted + u"\\a")},
      {"a name the code page spells", u"C:\\n\\caf\u00E9.exe", false, "C:\\n\\caf\xE9.exe"},
      {"a Chinese name", kChinese, true, "C:\\c\\??.exe"},
      {"a Greek name", u"C:\\n\\\u03B1\u03B2.exe", true, "C:\\n\\??.exe"},
      {"a name beyond the 16 bits", u"C:\\n\\\U0001F600.exe", true, "C:\\n\\??.exe"},
      {"a folder of such a name", u"C:\\\u65E5\u672C\\in.exe", true, "C:\\??\\in.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScanRig rig;
    std::vector<std::string> shown;
    std::vector<std::u16string> wide;
    rig.onMessage = [&](std::uint32_t message) {
      if (message != kStatusMsgAddLine) return;
      shown.push_back(rig.session.reportLine);
      wide.push_back(rig.session.reportLineWide);
    };
    rig.os.addFile(c.path, infected());
    rig.os.addFile("C:\\plain.exe", clean());

    EXPECT_EQ(walkDirectory(rig.ctx, "C:\\*.*"), 2);
    EXPECT_EQ(rig.os.find(c.path), nullptr);
    EXPECT_NE(rig.os.find("C:\\plain.exe"), nullptr);
    EXPECT_EQ(rig.session.filesInfected, 1);
    EXPECT_EQ(rig.session.filesRemoved, 1);
    const std::string outcome = "     " + name() + " removed";
    EXPECT_EQ(shown, std::vector<std::string>{c.shown + outcome});
    EXPECT_EQ(wide, std::vector<std::u16string>{
                        c.wide ? c.path + u"     " + widenedAscii(name()) + u" removed" : u""});
    const std::string wideCall = "openWide " + utf8(c.path);
    EXPECT_EQ(rig.os.callsStartingWith(wideCall).size(), c.wide ? 1u : 0u);
    EXPECT_EQ(rig.os.callsStartingWith("deleteWide " + utf8(c.path)).size(), c.wide ? 1u : 0u);
    EXPECT_EQ(rig.os.callsStartingWith("open " + c.shown).size(), c.wide ? 0u : 1u);
  }
}

TEST_F(WideRoadTest, NamesThatReadAlikeInTheCodePageAreToldApart) {
  os.addFile(kJapan, infected());
  os.addFile(kChina, clean());
  os.addFile(kChinese, infected(2));

  EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), 3);
  EXPECT_EQ(os.find(kJapan), nullptr);
  ASSERT_NE(os.find(kChina), nullptr);
  EXPECT_EQ(os.find(kChina)->content, clean());
  EXPECT_EQ(os.find(kChinese), nullptr);
  EXPECT_EQ(lines,
            (std::vector<std::string>{fileLine(kJapan, "removed"), fileLine(kChinese, "removed")}));
  EXPECT_EQ(wideLines, (std::vector<bool>{true, true}));
  // Each is opened by its own name; "??.exe" would open none of them.
  EXPECT_EQ(os.callsStartingWith("openWide "),
            (std::vector<std::string>{"openWide " + utf8(kJapan), "openWide " + utf8(kChina),
                                      "openWide " + utf8(kChinese)}));
  EXPECT_TRUE(os.callsStartingWith("open C:\\c\\").empty());
  // The status line shows them in the code page.
  EXPECT_EQ(std::count(statusTexts.begin(), statusTexts.end(), "C:\\c\\??.exe"), 3);
}

TEST_F(WideRoadTest, TheNineXLineHasNoWideCallsAndNamesWhatItPassesOver) {
  os.versionInfo = kWindows98;
  os.addFile(kChinese, infected());
  os.addFile(pathOfLength(kDeep, 300), infected());
  os.addFile(u"C:\\\u65E5\u672C\\in.exe", infected());
  os.addFile("C:\\plain.exe", infected());

  EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), 1);
  EXPECT_EQ(os.find("C:\\plain.exe"), nullptr);
  EXPECT_NE(os.find(kChinese), nullptr);
  EXPECT_NE(os.find(pathOfLength(kDeep, 300)), nullptr);
  EXPECT_NE(os.find(u"C:\\\u65E5\u672C\\in.exe"), nullptr);
  for (const std::string& call : os.calls) EXPECT_EQ(call.find("Wide"), std::string::npos) << call;
  EXPECT_EQ(notScanned,
            (std::vector<std::string>{"C:\\c\\??.exe     Not scanned",
                                      utf8(pathOfLength(kDeep, 300)) + "     Not scanned",
                                      "C:\\??     Not scanned"}));
  // The window's list shows none of it.
  EXPECT_EQ(lines, std::vector<std::string>{"C:\\plain.exe     " + name() + " removed"});
}

// A small machine without such names: the scan makes the calls it always made, one by one.
TEST_F(WideRoadTest, ADiskWithoutSuchNamesGivesTheCallsItAlwaysGave) {
  session.singleFileMode = 1;
  os.versionInfo = kWindowsXp;
  os.addFile("C:\\WINDOWS\\explorer.exe", clean());
  os.startProcess("C:\\WINDOWS\\explorer.exe");
  os.addFile("C:\\Program Files\\App\\app.exe", clean());
  os.addFile("C:\\Program Files\\App\\caf\xE9.txt", "text");
  os.addFile("C:\\apps\\evil.exe", infected());
  os.addFile("C:\\readme.txt", "hello");
  os.registry.setString(kRun, "evil", "C:\\apps\\evil.exe -q");

  EXPECT_EQ(runScanSession(ctx), 1);
  const std::vector<std::string> expected = {
      "version",
      "loadLibrary psapi.dll",
      "enumProcesses 4096",
      "openProcess 256 0x410",
      "readable C:\\WINDOWS\\explorer.exe",
      "list C:\\WINDOWS\\explorer.exe",
      "open C:\\WINDOWS\\explorer.exe",
      "driveType C:\\",
      "exists C:\\Program Files",
      "list C:\\*.*",
      "list C:\\WINDOWS\\*.*",
      "open C:\\WINDOWS\\explorer.exe",
      "list C:\\Program Files\\*.*",
      "list C:\\Program Files\\App\\*.*",
      "open C:\\Program Files\\App\\app.exe",
      "list C:\\apps\\*.*",
      "open C:\\apps\\evil.exe",
      "version",
      "systemDirectory",
      "open C:\\WINDOWS\\system32\\drivers\\etc\\hosts",
      "regOpen Software\\Microsoft\\Windows\\CurrentVersion\\Run 0x20019",
      "regOpen Software\\Microsoft\\Windows\\CurrentVersion\\Run 0x20019",
      "regClose Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "regOpen Software\\Microsoft\\Windows\\CurrentVersion\\Run 0xF003F",
      "regDeleteValue Software\\Microsoft\\Windows\\CurrentVersion\\Run evil",
      "regClose Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "regOpen Software\\Microsoft\\Windows\\CurrentVersion\\RunServices 0x20019",
      "setAttributes C:\\apps\\evil.exe 0x20",
      "delete C:\\apps\\evil.exe",
      "regOpen SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v 0xF003F",
      "driveType D:\\",
  };
  std::vector<std::string> calls = os.calls;
  // Drives E: to Z: are asked alike.
  calls.erase(std::remove_if(calls.begin(), calls.end(),
                             [](const std::string& call) {
                               return call.rfind("driveType ", 0) == 0 &&
                                      call != "driveType C:\\" && call != "driveType D:\\";
                             }),
              calls.end());
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "System Registry     W32/Talvorn.Trojan removed",
                       "C:\\apps\\evil.exe     " + name() + " removed", " ", "Scanning statistics",
                       "------------------------------", "Total files scanned\t\t:  5",
                       "Total files infected\t\t:  1", "Total files removed\t\t:  1"}));
  EXPECT_EQ(wideLines, std::vector<bool>(lines.size(), false));
}

TEST_F(WideRoadTest, ARunningProgramWithSuchANameIsKilledAndRemoved) {
  session.singleFileMode = 1;
  os.versionInfo = kWindowsXp;
  for (const std::u16string& image : {kChinese, pathOfLength(kDeep, 300)}) {
    SCOPED_TRACE(utf8(image));
    lines.clear();
    os.addFile(image, infected());
    const std::uint32_t id = os.startProcess(image).id;

    EXPECT_EQ(scanMemory(ctx), 1);
    ASSERT_FALSE(os.ended.empty());
    EXPECT_EQ(os.ended.back(), id);
    EXPECT_EQ(os.find(image), nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"System Memory    W32/Talvorn.Trojan  removed",
                                               fileLine(image, "removed", kFamilyName)}));
    EXPECT_EQ(session.memoryRestartNeeded, 0);
  }
}

TEST_F(WideRoadTest, OnlyTheProgramThatRunsTheFileIsKilledWhateverTheCodePageSpells) {
  struct Case {
    const char* what;
    VersionInfo version;
  };
  for (const Case& c :
       {Case{"NT 5.x: module paths", kWindowsXp}, Case{"NT 6: performance data", kWindows7}}) {
    SCOPED_TRACE(c.what);
    os.processes.clear();
    os.ended.clear();
    os.versionInfo = c.version;
    os.addFile(kJapan, clean());
    os.addFile(kChina, clean());
    const std::uint32_t japan = os.startProcess(kJapan).id;
    os.startProcess(kChina);
    EXPECT_EQ(killProcessByPath(ctx, TargetFile("C:\\c\\??.exe", kJapan.c_str())), 1);
    EXPECT_EQ(os.ended, std::vector<std::uint32_t>{japan});
  }
}

TEST_F(WideRoadTest, AFileThatCannotBeDeletedIsLeftForTheNextStartByItsWidePath) {
  os.versionInfo = kWindows7;
  for (const std::u16string& path : {kChinese, pathOfLength(kDeep, 300)}) {
    os.addFile(path, infected()).deleteError = kErrorSharingViolation;
  }

  walkDirectory(ctx, "C:\\*.*");
  EXPECT_EQ(os.pendingWideDeletes,
            (std::vector<std::u16string>{kChinese, pathOfLength(kDeep, 300)}));
  EXPECT_TRUE(os.pendingDeletes.empty());
  EXPECT_EQ(session.restartNeeded, 1);
  EXPECT_EQ(lines,
            (std::vector<std::string>{fileLine(kChinese, "Unable to remove"),
                                      fileLine(pathOfLength(kDeep, 300), "Unable to remove")}));
}

TEST_F(WideRoadTest, RunValuesAreJudgedOnTheirWideText) {
  const std::u16string longPath = pathOfLength(kDeep, 300);
  os.addFile(kJapan, infected());
  os.addFile(longPath, infected(2));
  os.registry.setWideString(kRun, u"japan", u"\"" + kJapan + u"\" /start");
  os.registry.setWideString(kRun, u"china", kChina + u" /start");
  os.registry.setWideString(kRun, u"\u8D77\u52A8", kJapan);
  os.registry.setWideString(kRun, u"long", longPath);
  os.registry.setString(kRun, "plain", "C:\\apps\\tool.exe");

  walkDirectory(ctx, "C:\\*.*");
  // "china" names another file that the code page spells alike.
  EXPECT_EQ(os.registry.valueNames(kRun), (std::vector<std::string>{"china", "plain"}));
  EXPECT_EQ(
      std::count(lines.begin(), lines.end(), "System Registry     W32/Talvorn.Trojan removed"), 3);
  // A name the code page cannot spell is deleted by its wide name, and never remembered.
  EXPECT_EQ(os.callsStartingWith("regDeleteValueWide ").size(), 3u);
  EXPECT_STRNE(session.rememberedRunValue, "??");
}

TEST_F(WideRoadTest, APathLongerThanTheWideCallsTakeIsNamedAsNotScanned) {
  os.logCalls = false;
  std::u16string folder = u"C:\\deep";
  std::u16string reachable;
  std::u16string beyond;
  for (int level = 0; level < 140; ++level) {
    folder += u"\\" + std::u16string(250, static_cast<char16_t>(u'a' + level % 26));
    if (level == 100) reachable = folder + u"\\x.exe";
    if (beyond.empty() && folder.size() + 4 > static_cast<std::size_t>(kMaxWidePath)) {
      beyond = folder;
    }
  }
  os.addFile(reachable, infected());
  os.addFile(folder + u"\\x.exe", infected());

  walkDirectory(ctx, "C:\\*.*");
  EXPECT_EQ(os.find(reachable), nullptr);
  EXPECT_NE(os.find(folder + u"\\x.exe"), nullptr);
  EXPECT_EQ(notScanned, std::vector<std::string>{utf8(beyond) + "     Not scanned"});
  EXPECT_EQ(session.filesScanned, 1);
}

// The report file of a run started with a command line holds the lines as the system shows them,
// and what the walk could not examine.
TEST(WideRoadReport, TheReportFileHoldsWideLinesAndWhatWasNotScanned) {
  struct Case {
    const char* what;
    VersionInfo version;
    std::vector<std::string> lines;  // the report's lines before the statistics
  };
  const Case cases[] = {
      {"NT line",
       kWindowsXp,
       {"C:\\c\\\xE4\xB8\xAD\xE6\x96\x87.exe     " + std::string(kSignatureTable[0].name) +
        " removed"}},
      {"9x line", kWindows98, {"C:\\c\\??.exe     Not scanned"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    unattended::RunMachine<sim::SimMachine> os;
    os.versionInfo = c.version;
    os.addDrive('A', kDriveRemovable);
    os.addFile(kChinese, samples::sample());
    ScanSession session;
    unattended::ScanRun run(unattended::parseCommandLine("/silent /report:A:\\r.txt"), session);
    ASSERT_TRUE(run.openReport(os));
    os.setRun(&run);
    ScanContext ctx(os, session, detectorTableFor(run.mode()));
    run.runSilent(ctx);

    std::string text = os.find("A:\\r.txt")->content;
    ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u);
    std::vector<std::string> lines;
    for (std::size_t at = 3, end; (end = text.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
      lines.push_back(text.substr(at, end - at));
    }
    ASSERT_GE(lines.size(), c.lines.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + c.lines.size()), c.lines);
  }
}

}  // namespace
}  // namespace vs::test
