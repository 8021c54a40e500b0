// The engine over the real file system: a walk of the run's drive D: with samples of the
// signature table, near misses and ordinary files, through the real backend, down to the deletion
// of what matched.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/matcher.h"
#include "engine/signature_record.h"
#include "engine/walk.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"
#include "sample_builder.h"
#include "wine/scratch_disk.h"
#include "wine/test_window.h"

namespace vs::test {
namespace {

using samples::NearMiss;
using samples::SampleLayout;
using samples::SampleOptions;

// The matcher behind a recorder, so the test knows which files matched, not only how many.
std::set<std::string>* matchedPaths = nullptr;

int recordingMatcher(ScanContext& ctx, const char* familyName, const char* path) {
  const int result = matchSignatures(ctx, familyName, path);
  if (result) matchedPaths->insert(path);
  return result;
}

const DetectorEntry kRecordingTable[] = {{kFamilyName, recordingMatcher}, {nullptr, nullptr}};

class EngineOnDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WIN32_FIND_DATAA data;
    win32::FindHandle find(FindFirstFileA("D:\\*.*", &data));
    ASSERT_FALSE(find.valid()) << "D: must be empty for the walk; found " << data.cFileName;
    matchedPaths = &matched;
  }
  void TearDown() override {
    matchedPaths = nullptr;
    for (const char* top :
         {"D:\\samples", "D:\\deep", "D:\\Program Files", "D:\\misses", "D:\\clean"}) {
      removeTree(top);
    }
    for (const std::string& file : rootFiles) {
      SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(file.c_str());
    }
  }

  // Writes a sample of a record; false when the record's probes do not fit the layout.
  bool addSample(int record, const std::string& path, SampleOptions options,
                 std::uint32_t attributes = 0) {
    const auto bytes = samples::buildSample(kSignatureTable[record], options);
    if (!bytes) return false;
    writeFile(path, *bytes, attributes);
    ++files;
    if (path.rfind('\\') == 2) rootFiles.push_back(path);
    return true;
  }

  void addClean(const std::string& path, const std::string& bytes) {
    writeFile(path, bytes);
    clean.emplace_back(path, bytes);
    ++files;
    if (path.rfind('\\') == 2) rootFiles.push_back(path);
  }

  std::set<std::string> matched;
  std::set<std::string> expected;
  std::vector<std::pair<std::string, std::string>> clean;
  std::vector<std::string> rootFiles;
  int files = 0;
};

TEST_F(EngineOnDiskTest, WalkOfTheDriveRemovesEverySampleAndNothingElse) {
  // Every record that fits the plain layout, in one folder.
  makeDirectory("D:\\samples");
  for (int i = 0; i < kSignatureCount; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "D:\\samples\\sample%03d.exe", i + 1);
    if (addSample(i, name, {})) expected.insert(name);
  }
  ASSERT_GE(expected.size(), 90u) << "the sample builder placed too few records";

  // Other layouts, deeper folders, a dotted folder name, and the Program Files folder.
  makeDirectory("D:\\deep");
  makeDirectory("D:\\deep\\x.y");
  makeDirectory("D:\\deep\\x.y\\a.b.c");
  makeDirectory("D:\\Program Files");
  makeDirectory("D:\\Program Files\\Vendor");
  const struct {
    int record;
    SampleLayout layout;
    const char* path;
  } placed[] = {
      {0, SampleLayout::ThreeSections, "D:\\deep\\x.y\\three001.exe"},
      {11, SampleLayout::ThreeSections, "D:\\deep\\x.y\\a.b.c\\three012"},
      {92, SampleLayout::NoSections, "D:\\Program Files\\Vendor\\none093.dll"},
      {8, SampleLayout::OneSection, "D:\\Program Files\\setup.tmp"},
  };
  for (const auto& p : placed) {
    if (addSample(p.record, p.path, {p.layout, NearMiss::None, 7})) expected.insert(p.path);
  }
  // Attributes do not hide a file from the walk.
  ASSERT_TRUE(addSample(3, "D:\\hidden.sys", {},
                        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
  expected.insert("D:\\hidden.sys");

  // Near misses of several records: none may match.
  makeDirectory("D:\\misses");
  const NearMiss misses[] = {NearMiss::ProbeByteChanged, NearMiss::OneByteLonger,
                             NearMiss::OneByteShorter, NearMiss::ProbeMoved};
  for (const int record : {0, 8, 11, 92}) {
    for (const NearMiss miss : misses) {
      char name[64];
      std::snprintf(name, sizeof name, "D:\\misses\\r%03d_%d.exe", record + 1,
                    static_cast<int>(miss));
      ASSERT_TRUE(addSample(record, name, {SampleLayout::OneSection, miss, 3})) << name;
    }
  }

  // Ordinary files, one of them a PE file of a record's exact length.
  makeDirectory("D:\\clean");
  addClean("D:\\readme.txt", "not an executable\r\n");
  addClean("D:\\clean\\empty.dat", "");
  addClean("D:\\clean\\short.exe", std::string(61, 'M'));
  addClean("D:\\clean\\lookalike.exe",
           samples::buildLookAlike(static_cast<std::uint32_t>(kSignatureTable[0].fileSize), 5));

  // A sample that another program holds open without sharing cannot be examined: it counts as
  // scanned and does not match.
  ASSERT_TRUE(addSample(1, "D:\\clean\\locked.exe", {}));
  win32::FileHandle lock(CreateFileA("D:\\clean\\locked.exe", GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock.valid());

  ScanSession session;
  session.singleFileMode = 0;
  std::vector<std::string> statusTexts;
  std::vector<std::string> reportLines;
  TestWindow window([&](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == kStatusMsgSetText) statusTexts.push_back(session.statusText);
    if (message == kStatusMsgAddLine) reportLines.push_back(session.reportLine);
    return 0;
  });
  session.mainWindow = reinterpret_cast<WindowHandle>(window.handle());
  Win32Platform os;
  ScanContext ctx(os, session, kRecordingTable);

  EXPECT_EQ(walkDirectory(ctx, "D:\\*.*"), files);
  EXPECT_EQ(session.filesScanned, files);
  EXPECT_EQ(matched, expected);
  EXPECT_EQ(session.filesInfected, static_cast<std::int32_t>(expected.size()));
  EXPECT_EQ(session.programFilesSeen, 1);
  EXPECT_EQ(session.programFilesPending, 1);
  EXPECT_STREQ(session.programFilesPattern, "D:\\Program Files\\*.*");

  // Every sample is deleted, whatever its attributes, and reported once; nothing else is.
  EXPECT_EQ(session.filesRemoved, static_cast<std::int32_t>(expected.size()));
  EXPECT_EQ(reportLines.size(), expected.size());
  for (const std::string& path : expected) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(fileExists(path));
    EXPECT_EQ(std::count_if(reportLines.begin(), reportLines.end(),
                            [&](const std::string& line) {
                              return line.rfind(path + "     W32/Talvorn.", 0) == 0 &&
                                     line.ends_with(".Trojan removed");
                            }),
              1);
  }
  EXPECT_TRUE(fileExists("D:\\clean\\locked.exe"));
  for (const auto& [path, bytes] : clean) {
    SCOPED_TRACE(path);
    EXPECT_EQ(readFile(path), bytes);
  }
  // Every entry was shown in the status line, shortened to 60 characters.
  const std::set<std::string> shown(statusTexts.begin(), statusTexts.end());
  for (const std::string& path : expected) {
    char shortened[61];
    shortenForDisplay(path.c_str(), shortened, 60);
    EXPECT_EQ(shown.count(shortened), 1u) << path;
  }
  EXPECT_EQ(shown.count("D:\\deep\\x.y\\a.b.c\\.."), 1u);
}

}  // namespace
}  // namespace vs::test
