// The disposal of infected files: the three steps of growing force, the one report line per file,
// the counters and the restart flag, and the "System Memory" disposal of a killed program's image.
#include "engine/disposal.h"

#include <gtest/gtest.h>

#include "engine/matcher.h"
#include "engine/walk.h"
#include "engine_fixture.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

constexpr const char* kPath = "C:\\Apps\\evil.exe";
constexpr const char* kName = "W32/Talvorn.Cgx.Trojan";

// What the process killer does for the file in use.
enum class Kill { Fails, FreesTheFile, LeavesItLocked };
Kill killOutcome = Kill::Fails;
int killCalls = 0;

int fakeKill(ScanContext& ctx, const TargetFile& file) {
  ++killCalls;
  if (killOutcome == Kill::Fails) return 0;
  if (killOutcome == Kill::FreesTheFile)
    static_cast<sim::SimMachine&>(ctx.os).find(file.path)->deleteError = 0;
  return 1;
}

class DisposalTest : public EngineFixture {
 protected:
  DisposalTest() {
    ctx.killProcess = fakeKill;
    killOutcome = Kill::Fails;
    killCalls = 0;
    os.addDirectory("C:\\WINDOWS\\TEMP");
  }
};

struct Case {
  const char* what;
  std::uint32_t attributes;
  bool denyAttributes;
  std::uint32_t deleteError;
  Kill kill;
  std::uint32_t rebootRequestError;
  // Expected.
  const char* lineEnd;
  int removed;
  int restartNeeded;
  int kills;
  bool scheduled;
};

const Case kCases[] = {
    {"plain file", kAttrArchive, false, 0, Kill::Fails, 0, "removed", 1, 0, 0, false},
    {"read-only, hidden and system", kAttrReadOnly | kAttrHidden | kAttrSystem, false, 0,
     Kill::Fails, 0, "removed", 1, 0, 0, false},
    {"attributes cannot be reset", kAttrReadOnly, true, 0, Kill::FreesTheFile, 0,
     "Unable to remove", 0, 0, 0, false},
    {"in use, the kill frees it", kAttrArchive, false, kErrorSharingViolation, Kill::FreesTheFile,
     0, "removed", 1, 0, 1, false},
    {"in use, nothing killed", kAttrArchive, false, kErrorSharingViolation, Kill::Fails, 0,
     "Unable to remove", 0, 1, 1, true},
    {"in use even after the kill", kAttrArchive, false, kErrorAccessDenied, Kill::LeavesItLocked, 0,
     "Unable to remove", 0, 1, 1, true},
    {"in use, deletion at the next start refused", kAttrArchive, false, kErrorSharingViolation,
     Kill::Fails, kErrorAccessDenied, "Unable to remove", 0, 0, 1, false},
};

TEST(DisposalOutcomes, EachGivesExactlyOneLine) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    ScanRig rig;
    sim::SimMachine& machine = rig.os;
    ScanSession& state = rig.session;
    ScanContext& context = rig.ctx;
    context.killProcess = fakeKill;
    const std::vector<std::string>& lines = rig.reportLines;
    sim::Node& file = machine.addFile(kPath, "MZ", c.attributes);
    file.denyAttributes = c.denyAttributes;
    file.deleteError = c.deleteError;
    machine.deleteAtRebootError = c.rebootRequestError;
    killOutcome = c.kill;
    killCalls = 0;

    disposeInfectedFile(context, kPath, kName);

    EXPECT_EQ(lines,
              std::vector<std::string>{std::string(kPath) + "     " + kName + " " + c.lineEnd});
    EXPECT_EQ(state.filesRemoved, c.removed);
    EXPECT_EQ(machine.exists(kPath), c.removed == 0);
    EXPECT_EQ(state.restartNeeded, c.restartNeeded);
    EXPECT_EQ(killCalls, c.kills);
    EXPECT_EQ(machine.pendingDeletes,
              c.scheduled ? std::vector<std::string>{kPath} : std::vector<std::string>{});
    if (c.denyAttributes) {
      EXPECT_TRUE(machine.callsStartingWith("delete ").empty());
    }
  }
}

TEST_F(DisposalTest, AttributesAreResetToArchiveOnlyBeforeTheDeletion) {
  os.addFile(kPath, "MZ", kAttrReadOnly | kAttrHidden | kAttrSystem);
  disposeInfectedFile(ctx, kPath, kName);
  const std::vector<std::string> steps(os.calls.begin(), os.calls.begin() + 2);
  EXPECT_EQ(steps, (std::vector<std::string>{std::string("setAttributes ") + kPath + " 0x20",
                                             std::string("delete ") + kPath}));
}

TEST_F(DisposalTest, TheRestartFlagStaysSetForLaterFiles) {
  os.addFile("C:\\locked.exe", "MZ").deleteError = kErrorSharingViolation;
  os.addFile("C:\\plain.exe", "MZ");
  disposeInfectedFile(ctx, "C:\\locked.exe", kName);
  disposeInfectedFile(ctx, "C:\\plain.exe", kName);
  EXPECT_EQ(session.restartNeeded, 1);
  EXPECT_EQ(session.filesRemoved, 1);
  EXPECT_EQ(reportLines.size(), 2u);
}

TEST_F(DisposalTest, OnTheWin9xLineTheFileGoesIntoWininit) {
  os.versionInfo = VersionInfo{kPlatformWin32Windows, 4, 10};
  os.addFile(kPath, "MZ").deleteError = kErrorSharingViolation;
  os.find("C:\\Apps")->shortName = "APPS";
  disposeInfectedFile(ctx, kPath, kName);
  EXPECT_EQ(session.restartNeeded, 1);
  ASSERT_TRUE(os.exists("C:\\WINDOWS\\wininit.ini"));
  EXPECT_EQ(os.find("C:\\WINDOWS\\wininit.ini")->content, "[rename]\r\nNUL=C:\\APPS\\evil.exe\r\n");
}

TEST_F(DisposalTest, MemoryImageLineComesFirstThenThePauseThenTheFileLine) {
  os.addFile(kPath, "MZ");
  os.onSend = [this](std::uint32_t message) {
    if (message == kStatusMsgAddLine) os.calls.push_back(std::string("line ") + session.reportLine);
  };
  disposeMemoryImage(ctx, kPath, kFamilyName);
  const std::vector<std::string> expected = {
      "line System Memory    W32/Talvorn.Trojan  removed", "sleep 1000",
      std::string("setAttributes ") + kPath + " 0x20", std::string("delete ") + kPath,
      // The deleted file's uninstall entry is looked for (absent here) before the line.
      "regOpen SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v 0xF003F",
      std::string("line ") + kPath + "     W32/Talvorn.Trojan  removed"};
  EXPECT_EQ(os.calls, expected);
  EXPECT_EQ(os.sleeps, std::vector<unsigned>{1000});
  EXPECT_EQ(session.filesRemoved, 1);
}

TEST_F(DisposalTest, MatcherHandsTheKilledImageToTheMemoryDisposalWithoutCountingItAgain) {
  const auto sample = samples::buildSample(kSignatureTable[0], {});
  ASSERT_TRUE(sample);
  os.addFile(kPath, *sample);
  session.memoryDisposalPending = 1;
  session.filesInfected = 1;  // counted when the memory scan recognised the image
  matchSignatures(ctx, kFamilyName, kPath);
  EXPECT_EQ(reportLines,
            (std::vector<std::string>{"System Memory    W32/Talvorn.Trojan  removed",
                                      std::string(kPath) + "     W32/Talvorn.Trojan  removed"}));
  EXPECT_EQ(session.filesInfected, 1);
  EXPECT_FALSE(os.exists(kPath));
}

TEST_F(DisposalTest, WalkDeletesEveryDetectedFileAndLeavesCleanFilesAlone) {
  const auto first = samples::buildSample(kSignatureTable[0], {});
  const auto second = samples::buildSample(kSignatureTable[5], {});
  ASSERT_TRUE(first && second);
  os.addFile("C:\\a\\one.exe", *first, kAttrReadOnly);
  os.addFile("C:\\b\\two.exe", *second);
  os.addFile("C:\\b\\clean.exe", samples::buildLookAlike(72704, 3));
  session.filesScanned = 0;
  walkDirectory(ctx, "C:\\a\\*.*");
  walkDirectory(ctx, "C:\\b\\*.*");
  EXPECT_EQ(reportLines,
            (std::vector<std::string>{
                std::string("C:\\a\\one.exe     ") + kSignatureTable[0].name + " removed",
                std::string("C:\\b\\two.exe     ") + kSignatureTable[5].name + " removed"}));
  EXPECT_EQ(session.filesInfected, 2);
  EXPECT_EQ(session.filesRemoved, 2);
  EXPECT_TRUE(os.exists("C:\\b\\clean.exe"));
  EXPECT_FALSE(os.exists("C:\\a\\one.exe"));
}

}  // namespace
}  // namespace vs::test
