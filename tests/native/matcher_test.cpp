// The matcher as the walk's detector: what it counts, records and leaves behind for each mode.
#include "engine/matcher.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

class MatcherTest : public EngineFixture {
 protected:
  void addSample(const std::string& path, int record = 0) {
    const auto sample = samples::buildSample(kSignatureTable[record], {});
    ASSERT_TRUE(sample);
    os.addFile(path, *sample);
  }
};

TEST_F(MatcherTest, DirectoryModeCountsTheMatchAndClearsTheCurrentFile) {
  addSample("C:\\evil.exe", 11);
  EXPECT_EQ(matchSignatures(ctx, kFamilyName, "C:\\evil.exe"), 1);
  EXPECT_EQ(session.filesInfected, 1);
  EXPECT_EQ(session.singleFileMatched, 0);
  EXPECT_STREQ(session.currentFilePath, "");
}

TEST_F(MatcherTest, SingleFileModeOnlyRecordsTheMatch) {
  addSample("C:\\run.exe");
  session.singleFileMode = 1;
  EXPECT_EQ(matchSignatures(ctx, kFamilyName, "C:\\run.exe"), 1);
  EXPECT_EQ(session.filesInfected, 1);
  EXPECT_EQ(session.singleFileMatched, 1);
  EXPECT_STREQ(session.currentFilePath, "C:\\run.exe");
  EXPECT_TRUE(os.exists("C:\\run.exe"));
  EXPECT_TRUE(os.callsStartingWith("delete ").empty());
}

TEST_F(MatcherTest, MemoryDisposalDoesNotOpenOrTestTheFile) {
  addSample("C:\\run.exe");
  session.memoryDisposalPending = 1;
  EXPECT_EQ(matchSignatures(ctx, kFamilyName, "C:\\run.exe"), 0);
  EXPECT_TRUE(os.callsStartingWith("open ").empty());
  EXPECT_EQ(session.filesInfected, 0);
}

TEST_F(MatcherTest, RememberedRunValueIsForgottenUntilTheFirstDetection) {
  os.addFile("C:\\a.txt", "text");
  std::snprintf(session.rememberedRunValue, sizeof session.rememberedRunValue, "abc");
  session.filesInfected = 1;
  matchSignatures(ctx, kFamilyName, "C:\\a.txt");
  EXPECT_STREQ(session.rememberedRunValue, "abc");
  session.filesInfected = 0;
  matchSignatures(ctx, kFamilyName, "C:\\a.txt");
  EXPECT_STREQ(session.rememberedRunValue, "");
}

TEST_F(MatcherTest, UnreadableOrNonPeFilesDoNotMatchAndSayNothing) {
  addSample("C:\\locked.exe");
  os.find("C:\\locked.exe")->denyOpen = true;
  std::string notPe(static_cast<std::size_t>(kSignatureTable[0].fileSize), 'A');
  os.addFile("C:\\text.exe", notPe);
  EXPECT_EQ(matchSignatures(ctx, kFamilyName, "C:\\locked.exe"), 0);
  EXPECT_EQ(matchSignatures(ctx, kFamilyName, "C:\\text.exe"), 0);
  EXPECT_EQ(matchSignatures(ctx, kFamilyName, "C:\\missing.exe"), 0);
  EXPECT_EQ(session.filesInfected, 0);
  EXPECT_TRUE(reportLines.empty());
  EXPECT_STREQ(session.currentFilePath, "");
}

TEST_F(MatcherTest, FilesWhoseListedLengthNoRecordAcceptsAreNotOpened) {
  os.addFile("C:\\big.bin", std::string(100, 'x'));
  ctx.listedSize = 100;
  EXPECT_EQ(matchSignatures(ctx, kFamilyName, "C:\\big.bin"), 0);
  EXPECT_TRUE(os.callsStartingWith("open ").empty());

  // A length that a record accepts is opened, and the open file's own length decides.
  addSample("C:\\grown.exe", 3);
  ctx.listedSize = kSignatureTable[3].fileSize;
  EXPECT_EQ(matchSignatures(ctx, kFamilyName, "C:\\grown.exe"), 1);
}

}  // namespace
}  // namespace vs::test
