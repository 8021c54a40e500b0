// The walk: order of entries, what is shown and counted, the "\Program Files" fallback, links,
// long paths, single-file mode and cancellation through the message pump.
#include "engine/walk.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace vs::test {
namespace {

// Records every path handed to the detectors instead of matching it.
std::vector<std::string>* detected = nullptr;
int recordingDetector(ScanContext&, const char*, const char* path) {
  detected->push_back(path);
  return 0;
}
const DetectorEntry kRecordingTable[] = {{"W32/Talvorn.Trojan ", recordingDetector},
                                         {nullptr, nullptr}};

class WalkTest : public EngineFixture {
 protected:
  WalkTest() {
    detected = &handed;
    ctx.detectors = kRecordingTable;
  }
  ~WalkTest() override { detected = nullptr; }

  std::vector<std::string> handed;
};

TEST_F(WalkTest, FilesOfADirectoryComeBeforeItsSubdirectories) {
  os.addDirectory("C:\\a");
  os.addFile("C:\\a\\inner.exe", "x");
  os.addFile("C:\\top.exe", "x");
  os.addDirectory("C:\\x.y.z");
  os.addFile("C:\\x.y.z\\dotted.dll", "x", kAttrHidden | kAttrSystem | kAttrReadOnly);

  EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), 3);
  EXPECT_EQ(handed,
            (std::vector<std::string>{"C:\\top.exe", "C:\\a\\inner.exe", "C:\\x.y.z\\dotted.dll"}));
  EXPECT_EQ(session.filesScanned, 3);
  // Directories and the dot entries are shown but never handed on; the root has no dot entries.
  EXPECT_EQ(statusTexts, (std::vector<std::string>{"C:\\a", "C:\\top.exe", "C:\\x.y.z", "C:\\a\\.",
                                                   "C:\\a\\..", "C:\\a\\inner.exe", "C:\\x.y.z\\.",
                                                   "C:\\x.y.z\\..", "C:\\x.y.z\\dotted.dll"}));
  // One listing per directory serves both its files and its subdirectories.
  EXPECT_EQ(os.callsStartingWith("list "),
            (std::vector<std::string>{"list C:\\*.*", "list C:\\a\\*.*", "list C:\\x.y.z\\*.*"}));
}

TEST_F(WalkTest, ProgramFilesFolderIsNotedForTheDriver) {
  os.addFile("C:\\Program Files\\app\\a.exe", "x");
  walkDirectory(ctx, "C:\\*.*");
  EXPECT_EQ(session.programFilesPending, 1);
  EXPECT_STREQ(session.programFilesPattern, "C:\\Program Files\\*.*");
  EXPECT_EQ(session.programFilesSeen, 1);

  // A drive without the folder leaves the pending flag as it was.
  os.addFile("D:\\b.exe", "x");
  session.programFilesPending = 0;
  walkDirectory(ctx, "D:\\*.*");
  EXPECT_EQ(session.programFilesPending, 0);
}

TEST_F(WalkTest, LinksAreNotEnteredAndOverlongPathsAreSkipped) {
  // The 9x line has no wide calls to reach what the ANSI buffers cannot hold.
  os.versionInfo = VersionInfo{kPlatformWin32Windows, 4, 10};
  os.addDirectory("C:\\loop").attributes = kAttrDirectory | kAttrReparsePoint;
  os.addFile("C:\\loop\\behind-link.exe", "x");
  const std::string deep = "C:\\" + std::string(240, 'd');
  os.addFile(deep + "\\short.exe", "x");                         // 253 characters: fits
  os.addFile(deep + "\\" + std::string(20, 'n') + ".exe", "x");  // 268: passed over
  os.addDirectory(deep + "\\" + std::string(30, 's'));           // its pattern would not fit either

  walkDirectory(ctx, "C:\\*.*");
  EXPECT_EQ(handed, (std::vector<std::string>{deep + "\\short.exe"}));
  EXPECT_EQ(session.filesScanned, 1);
}

TEST_F(WalkTest, SingleFileModeExaminesOnlyTheNamedFileWithoutCountingIt) {
  os.addFile("C:\\A\\b.exe", "x");
  os.addDirectory("C:\\A\\b.dir");
  os.addFile("C:\\A\\b.dir\\c.exe", "x");
  session.singleFileMode = 1;
  session.singleFileMatched = 1;

  walkDirectory(ctx, "C:\\A\\b.exe");
  EXPECT_EQ(handed, (std::vector<std::string>{"C:\\A\\b.exe"}));
  EXPECT_EQ(session.filesScanned, 0);
  EXPECT_EQ(session.singleFileMatched, 0);
  EXPECT_EQ(statusTexts, (std::vector<std::string>{"C:\\A\\b.exe"}));
}

TEST_F(WalkTest, PatternWithoutDotCannotFormEntryPaths) {
  os.addFile("C:\\dir\\a.exe", "x");
  EXPECT_EQ(walkDirectory(ctx, "C:\\dir\\*"), -1);
  EXPECT_TRUE(handed.empty());
}

TEST_F(WalkTest, MissingOrUnreadableDirectoryGivesAnEmptyWalk) {
  os.addFile("C:\\a.exe", "x");
  os.addDirectory("C:\\locked").denyList = true;
  os.addFile("C:\\locked\\b.exe", "x");
  EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), 1);
  EXPECT_EQ(walkDirectory(ctx, "C:\\gone\\*.*"), 1);
}

TEST(ShortenForDisplay, KeepsBothEndsOfLongPaths) {
  struct Row {
    std::string path;
    std::string shown;
  };
  const std::string sixty(60, 'a');
  const std::string sixtyOne = std::string(29, 'h') + "MID" + std::string(29, 't');
  const Row rows[] = {
      {"C:\\x.exe", "C:\\x.exe"},
      {sixty, sixty},
      {sixtyOne, std::string(29, 'h') + ".." + std::string(29, 't')},
      {std::string(259, 'p'), std::string(29, 'p') + ".." + std::string(29, 'p')},
  };
  for (const Row& row : rows) {
    char out[61];
    shortenForDisplay(row.path.c_str(), out, 60);
    EXPECT_EQ(out, row.shown) << row.path.size();
  }
}

// Cancellation: the pump turns Escape (answered), quit and destroy into the cancel flag.
class CancelTest : public WalkTest {
 protected:
  CancelTest() {
    for (int i = 0; i < 5; ++i) os.addFile("C:\\f" + std::to_string(i) + ".exe", "x");
    os.addFile("C:\\sub\\g.exe", "x");
  }
  // Puts a message in the queue once the walk shows the given entry.
  void queueWhenShown(const std::string& entry, WindowMessage message) {
    os.onSend = [this, entry, message](std::uint32_t m) {
      if (m == kStatusMsgSetText && session.statusText == entry) os.queue.push_back(message);
    };
  }
};

TEST_F(CancelTest, EscapeAnsweredNoGoesOnAndYesStops) {
  struct Row {
    int answer;
    int result;
    std::size_t handedCount;
  };
  for (const Row& row : {Row{kIdNo, 6, 6}, Row{kIdYes, 0, 2}}) {
    SCOPED_TRACE(row.answer);
    handed.clear();
    session = ScanSession{};
    session.singleFileMode = 0;
    os.messageBoxes.clear();
    os.messageBoxAnswers = {row.answer};
    queueWhenShown("C:\\f1.exe", {1, 0x0100 /* WM_KEYDOWN */, 27, 0});
    EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), row.result);
    EXPECT_EQ(handed.size(), row.handedCount);
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Terminate the Scan now?");
    EXPECT_EQ(os.messageBoxes[0].caption, "Vantosweeper Ver 1.0");
    EXPECT_EQ(os.messageBoxes[0].type, 36u);
  }
}

TEST_F(CancelTest, AnyMessageCarryingTheEscapeCodeAsksToo) {
  os.messageBoxAnswers = {kIdYes};
  queueWhenShown("C:\\f0.exe", {1, 0x0113 /* WM_TIMER */, 27, 0});
  EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), 0);
  EXPECT_EQ(os.messageBoxes.size(), 1u);
  EXPECT_TRUE(os.dispatched.empty());
}

TEST_F(CancelTest, QuitAndDestroyAreSwallowedAndCancel) {
  for (std::uint32_t message : {kMsgQuit, kMsgDestroy}) {
    session.cancelRequested = 0;
    queueWhenShown("C:\\f2.exe", {1, message, 0, 0});
    EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), 0);
    EXPECT_TRUE(os.dispatched.empty());
    EXPECT_TRUE(os.messageBoxes.empty());
  }
}

TEST_F(CancelTest, OtherMessagesAreDispatchedOneAtATime) {
  os.queue = {{1, 0x000F /* WM_PAINT */, 0, 0}, {1, 0x0200, 0, 0}};
  walkDirectory(ctx, "C:\\sub\\*.*");
  EXPECT_EQ(os.dispatched.size(), 2u);
  EXPECT_EQ(session.cancelRequested, 0);
}

TEST_F(CancelTest, AnEmptyQueueIsLookedAtAgainOnlyAfterAPause) {
  os.clockStep = 1;  // every look at the clock is a millisecond later
  for (int i = 5; i < 40; ++i) os.addFile("C:\\f" + std::to_string(i) + ".exe", "x");
  os.messageBoxAnswers = {kIdYes};
  queueWhenShown("C:\\f1.exe", {1, 0x0100, 27, 0});
  EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), 0);
  // The Escape is taken a few entries later, not at the next pump, and still ends the walk.
  EXPECT_GT(handed.size(), 2u);
  EXPECT_LT(handed.size(), 10u);
  EXPECT_EQ(os.messageBoxes.size(), 1u);
}

TEST_F(CancelTest, WalkStartedWhileCancelledHandsOnNothing) {
  session.cancelRequested = 1;
  EXPECT_EQ(walkDirectory(ctx, "C:\\*.*"), 0);
  EXPECT_TRUE(handed.empty());
}

}  // namespace
}  // namespace vs::test
