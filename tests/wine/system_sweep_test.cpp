// The matcher over every file that Wine installs on C: (its DLLs and programs are real PE files of
// all sizes): none may be taken for the malware. The disposal would delete a match, so this test
// insists on none.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "engine/matcher.h"
#include "engine/pe_image.h"
#include "engine/walk.h"
#include "platform/win32/win32_platform.h"

namespace vs::test {
namespace {

int peFilesSeen = 0;
std::set<std::string>* matchedPaths = nullptr;

// Counts the PE files the sweep meets, then lets the matcher decide as in a scan.
int countingMatcher(ScanContext& ctx, const char* familyName, const char* path) {
  if (std::unique_ptr<ReadableFile> file = ctx.os.openForReading(path)) {
    PeImageInfo info;
    if (readPeHeaders(*file, info)) ++peFilesSeen;
  }
  const int result = matchSignatures(ctx, familyName, path);
  if (result) matchedPaths->insert(path);
  return result;
}

const DetectorEntry kCountingTable[] = {{kFamilyName, countingMatcher}, {nullptr, nullptr}};

TEST(SystemSweepTest, NoFileOfTheSystemDriveMatches) {
  std::set<std::string> matched;
  matchedPaths = &matched;
  peFilesSeen = 0;
  ScanSession session;
  session.singleFileMode = 0;
  Win32Platform os;
  ScanContext ctx(os, session, kCountingTable);

  const int scanned = walkDirectory(ctx, "C:\\*.*");
  matchedPaths = nullptr;

  EXPECT_EQ(scanned, session.filesScanned);
  EXPECT_TRUE(matched.empty()) << ::testing::PrintToString(matched);
  EXPECT_EQ(session.filesInfected, 0);
  // A sweep that saw nothing would prove nothing: Wine's system folder alone holds hundreds.
  EXPECT_GT(peFilesSeen, 300);
  std::printf("swept C: %d files, %d of them PE files, %d matches\n", session.filesScanned,
              peFilesSeen, session.filesInfected);
  ::testing::Test::RecordProperty("filesScanned", session.filesScanned);
  ::testing::Test::RecordProperty("peFiles", peFilesSeen);
}

}  // namespace
}  // namespace vs::test
