// The scan session: which drives are walked, the "\Program Files" fallback, the statistics block,
// the final status and the restart question.
#include "engine/scan_driver.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

class ScanDriverTest : public EngineFixture {
 protected:
  ScanDriverTest() { session.singleFileMode = 1; }  // as at program start
};

TEST_F(ScanDriverTest, OnlyFixedDrivesFromCToZAreWalked) {
  os.addDrive('A', kDriveFixed);
  os.addDrive('B', kDriveFixed);
  os.addFile("C:\\a.txt", "x");
  os.addDrive('D', kDriveCdrom);
  os.addDrive('E', kDriveRemote);
  os.addDrive('F', kDriveRemovable);
  os.addDrive('G', kDriveRamdisk);
  os.addFile("Z:\\z.txt", "x");

  runScanSession(ctx);
  std::vector<std::string> roots;
  for (const std::string& call : os.callsStartingWith("list ")) {
    if (call.size() == 11) roots.push_back(call);  // "list X:\*.*"
  }
  EXPECT_EQ(roots, (std::vector<std::string>{"list C:\\*.*", "list Z:\\*.*"}));
  for (const std::string& call : os.callsStartingWith("driveType ")) {
    EXPECT_NE(call, "driveType A:\\");
    EXPECT_NE(call, "driveType B:\\");
  }
  EXPECT_EQ(os.callsStartingWith("driveType ").size(), 24u);
  EXPECT_EQ(session.filesScanned, 2);
  EXPECT_EQ(session.singleFileMode, 0);
}

TEST_F(ScanDriverTest, ProgramFilesIsWalkedAgainOnlyWhenTheRootWalkMissedIt) {
  os.addFile("C:\\Program Files\\a.exe", "x");
  os.find("C:\\Program Files")->attributes = kAttrDirectory | kAttrReparsePoint;
  runScanSession(ctx);
  EXPECT_EQ(os.callsStartingWith("list C:\\Program Files\\*.*").size(), 1u);
  EXPECT_EQ(session.filesScanned, 1);
  EXPECT_EQ(session.programFilesPending, 0);

  ScanSession fresh;
  session = fresh;
  os.calls.clear();
  os.find("C:\\Program Files")->attributes = kAttrDirectory;
  runScanSession(ctx);
  EXPECT_EQ(os.callsStartingWith("list C:\\Program Files\\*.*").size(), 1u);  // one walk only
  EXPECT_EQ(session.programFilesSeen, 1);
}

TEST_F(ScanDriverTest, StatisticsAndFinalStatusOfACleanScan) {
  os.addFile("C:\\a.txt", "hello");
  os.addFile("C:\\b.txt", "world");
  runScanSession(ctx);
  EXPECT_EQ(reportLines,
            (std::vector<std::string>{"Scanning statistics", "------------------------------",
                                      "Total files scanned\t\t:  2", "Total files infected\t\t:  0",
                                      "Total files removed\t\t:  0"}));
  EXPECT_EQ(session.statisticsShown, 1);
  EXPECT_EQ(statusTexts.back(), "Scanning completed");
  EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(ScanDriverTest, DetectionsOpenTheStatisticsWithABlankLine) {
  const auto sample = samples::buildSample(kSignatureTable[0], {});
  ASSERT_TRUE(sample);
  os.addFile("C:\\Windows\\evil.exe", *sample);
  os.addFile("C:\\clean.exe", samples::buildLookAlike(72704, 5));
  runScanSession(ctx);
  ASSERT_GE(reportLines.size(), 6u);
  const std::vector<std::string> tail(reportLines.end() - 6, reportLines.end());
  EXPECT_EQ(tail,
            (std::vector<std::string>{
                " ", "Scanning statistics", "------------------------------",
                "Total files scanned\t\t:  2", "Total files infected\t\t:  1",
                std::string("Total files removed\t\t:  ") + std::to_string(session.filesRemoved)}));
  EXPECT_EQ(session.filesInfected, 1);
}

TEST_F(ScanDriverTest, CancelledScanStillReportsAndSaysTerminated) {
  for (int i = 0; i < 4; ++i) os.addFile("C:\\f" + std::to_string(i) + ".txt", "x");
  os.addFile("D:\\later.txt", "x");
  os.messageBoxAnswers = {kIdYes};
  os.queue.push_back({1, 0x0100, 27, 0});
  runScanSession(ctx);
  EXPECT_EQ(session.filesScanned, 0);
  EXPECT_EQ(statusTexts.back(), "Scanning terminated");
  EXPECT_EQ(reportLines.size(), 5u);
  // Every later walk returns at its first entry.
  EXPECT_EQ(os.callsStartingWith("open ").size(), 0u);
}

TEST_F(ScanDriverTest, RestartQuestionFollowsTheReportWhenADeletionWaitsForTheNextStart) {
  os.addFile("C:\\a.txt", "x");
  session.restartNeeded = 1;
  os.messageBoxAnswers = {kIdNo};
  runScanSession(ctx);
  ASSERT_EQ(os.messageBoxes.size(), 1u);
  EXPECT_EQ(os.messageBoxes[0].text,
            "The system has to be restarted to remove the virus completely from your system. "
            "\n\n Restart now?");
  EXPECT_EQ(os.messageBoxes[0].caption, "Vantosweeper Ver 1.0");
  EXPECT_EQ(os.messageBoxes[0].type, 36u);
  EXPECT_EQ(statusTexts.back(), "Scanning completed");
  // The question comes after the final status.
  const auto& calls = os.calls;
  EXPECT_EQ(calls.back().rfind("messageBox ", 0), 0u);
}

}  // namespace
}  // namespace vs::test
