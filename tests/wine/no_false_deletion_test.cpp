// No false deletion on the real system: a scan of every fixed drive, with the real backend and
// disposal, over the prefix's own C: (every PE file Wine installs), a clean corpus on E: (the
// MinGW-w64 runtime DLLs and 32-bit Wine's DLLs, copied into the build tree by
// tests/wine/make-clean-corpus) and, on D:, look-alikes of every record beside samples of every
// record in every layout. No clean file may be deleted or have its attributes changed, and every
// sample must go. The run that maps the corpus is its own ctest entry; elsewhere the test skips.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>

#include "engine/matcher.h"
#include "engine/pe_image.h"
#include "engine/scan_driver.h"
#include "engine/walk.h"
#include "platform/win32/win32_platform.h"
#include "sample_builder.h"
#include "wine/scratch_disk.h"
#include "wine/test_window.h"

namespace vs::test {
namespace {

using samples::NearMiss;
using samples::SampleLayout;

// The real machine, with every change the disposal asks of it written down first.
class RecordingPlatform : public Win32Platform {
 public:
  bool setFileAttributes(const char* path, std::uint32_t attributes) override {
    touched.insert(path);
    return Win32Platform::setFileAttributes(path, attributes);
  }
  bool deleteFile(const char* path) override {
    touched.insert(path);
    return Win32Platform::deleteFile(path);
  }

  std::set<std::string> touched;
};

int peFilesSeen = 0;

int countingMatcher(ScanContext& ctx, const char* familyName, const char* path) {
  if (std::unique_ptr<ReadableFile> file = ctx.os.openForReading(path)) {
    PeImageInfo info;
    if (readPeHeaders(*file, info)) ++peFilesSeen;
  }
  return matchSignatures(ctx, familyName, path);
}

const DetectorEntry kCountingTable[] = {{kFamilyName, countingMatcher}, {nullptr, nullptr}};

// No program runs the samples; a kill would only show the system's message box.
int killNothing(ScanContext&, const TargetFile&) {
  return 0;
}

std::string randomBytes(std::size_t length, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(length, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// The sample with one byte of its first probe changed: the second probe still matches.
std::string firstProbeWrong(const SignatureRecord& record, std::string bytes,
                            const std::string& scratch) {
  writeFile(scratch, bytes);
  Win32Platform os;
  PeImageInfo info;
  {
    std::unique_ptr<ReadableFile> file = os.openForReading(scratch.c_str());
    EXPECT_TRUE(file && readPeHeaders(*file, info));
  }
  DeleteFileA(scratch.c_str());
  const std::uint32_t offset =
      rvaToFileOffset(info.addressOfEntryPoint + static_cast<std::uint32_t>(record.probeOffset1),
                      info, static_cast<std::uint32_t>(bytes.size()));
  bytes[offset + 7] = static_cast<char>(bytes[offset + 7] ^ 0x5A);
  return bytes;
}

// Every file below a folder with its length, links not followed.
void listFiles(const std::string& folder, std::map<std::string, std::uint64_t>& files) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      listFiles(path, files);
    } else {
      files[path] = std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

TEST(NoFalseDeletionUnderWine, AScanOfEveryDriveDeletesEverySampleAndNoCleanFile) {
  if (GetDriveTypeA("E:\\") != DRIVE_FIXED) {
    GTEST_SKIP() << "the clean corpus is not mapped as E: (ctest's vs_wine_no_false_deletion)";
  }
  ScratchFolder folder;
  const std::string lookAlikeFolder = folder / "lookalikes";
  const std::string sampleFolder = folder / "samples";
  makeDirectory(lookAlikeFolder);
  makeDirectory(sampleFolder);
  std::map<std::string, std::string> lookAlikes;
  std::set<std::string> samplePaths;
  for (int i = 0; i < kSignatureCount; ++i) {
    const SignatureRecord& record = kSignatureTable[i];
    const auto size = static_cast<std::uint32_t>(record.fileSize);
    const std::string stem = lookAlikeFolder + "\\r" + std::to_string(i + 1);
    lookAlikes[stem + "-random.bin"] = randomBytes(size, static_cast<std::uint32_t>(i));
    lookAlikes[stem + "-headers.exe"] =
        samples::buildLookAlike(size, static_cast<std::uint32_t>(i));
    samples::SampleOptions secondWrong;
    secondWrong.miss = NearMiss::ProbeByteChanged;
    lookAlikes[stem + "-second-probe-wrong.exe"] = *samples::buildSample(record, secondWrong);
    lookAlikes[stem + "-first-probe-wrong.exe"] =
        firstProbeWrong(record, *samples::buildSample(record, {}), folder / "probe.tmp");
    for (const SampleLayout layout :
         {SampleLayout::OneSection, SampleLayout::ThreeSections, SampleLayout::NoSections}) {
      samples::SampleOptions options;
      options.layout = layout;
      const auto bytes = samples::buildSample(record, options);
      if (!bytes) continue;
      const std::string path = sampleFolder + "\\r" + std::to_string(i + 1) + "-layout" +
                               std::to_string(static_cast<int>(layout)) + ".exe";
      writeFile(path, *bytes);
      samplePaths.insert(path);
    }
  }
  for (const auto& [path, bytes] : lookAlikes) writeFile(path, bytes);
  std::map<std::string, std::uint64_t> before;
  listFiles("C:", before);
  listFiles("E:", before);

  ScanSession session;
  session.singleFileMode = 0;
  std::vector<std::string> lines;
  TestWindow window([&](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == kStatusMsgAddLine) lines.push_back(session.reportLine);
    return 0;
  });
  session.mainWindow = reinterpret_cast<WindowHandle>(window.handle());
  RecordingPlatform os;
  ScanContext ctx(os, session, kCountingTable);
  ctx.killProcess = killNothing;
  peFilesSeen = 0;
  walkFixedDrives(ctx);
  drainQueue();

  EXPECT_EQ(os.touched, samplePaths);
  int samplesDeleted = 0;
  for (const std::string& path : samplePaths) samplesDeleted += fileExists(path) ? 0 : 1;
  EXPECT_EQ(samplesDeleted, static_cast<int>(samplePaths.size()));
  for (const auto& [path, bytes] : lookAlikes) EXPECT_TRUE(readFile(path) == bytes) << path;
  std::map<std::string, std::uint64_t> after;
  listFiles("C:", after);
  listFiles("E:", after);
  int missing = 0;
  for (const auto& [path, length] : before) {
    // Wine's own programs may come and go in the prefix's temporary folders meanwhile.
    if (path.rfind("C:\\windows\\temp\\", 0) == 0 || path.rfind("C:\\users\\", 0) == 0) continue;
    if (after.count(path) == 0) {
      ADD_FAILURE() << path << " is gone";
      ++missing;
    }
  }
  std::set<std::string> reported;
  for (const std::string& line : lines) {
    const std::size_t gap = line.find("     W32/Talvorn.");
    ASSERT_NE(gap, std::string::npos) << line;
    EXPECT_TRUE(line.ends_with(" removed")) << line;
    reported.insert(line.substr(0, gap));
  }
  EXPECT_EQ(reported, samplePaths);
  EXPECT_EQ(session.filesInfected, static_cast<std::int32_t>(samplePaths.size()));
  EXPECT_EQ(session.filesRemoved, static_cast<std::int32_t>(samplePaths.size()));

  const int cleanScanned = session.filesScanned - static_cast<int>(samplePaths.size());
  const int peClean = peFilesSeen - static_cast<int>(samplePaths.size());
  EXPECT_GT(peClean, 1000) << "the scan saw too few PE files to prove anything";
  int cleanTouched = 0;
  for (const std::string& path : os.touched) cleanTouched += samplePaths.count(path) ? 0 : 1;
  std::printf(
      "no-false-deletion under Wine: %d clean files scanned (%d PE files, %zu "
      "look-alikes), %d deleted; %d of %zu samples deleted\n",
      cleanScanned, peClean, lookAlikes.size(), cleanTouched + missing, samplesDeleted,
      samplePaths.size());
}

}  // namespace
}  // namespace vs::test
