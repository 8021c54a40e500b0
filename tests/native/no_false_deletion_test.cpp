// No false deletion: one full scan, with the real disposal, over every Windows executable that
// this machine's packages ship (Wine's DLLs and programs, the MinGW-w64 runtime DLLs), mounted
// write-protected, beside look-alikes of every record (random content of the record's exact
// length, valid headers without probes, one probe right and the other wrong) and samples of every
// record in every layout. Not one clean file may be deleted, and every sample must be.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/matcher.h"
#include "engine/pe_image.h"
#include "engine/scan_driver.h"
#include "engine/walk.h"
#include "platform/sim/sim_machine.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

using samples::NearMiss;
using samples::SampleLayout;

// Folders of Windows binaries that Debian's Wine and MinGW-w64 packages install; those present
// here become write-protected drives of the machine.
std::vector<std::string> cleanFolders() {
  std::vector<std::string> folders = {
      "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows",
      "/usr/lib/i386-linux-gnu/wine/i386-windows",
      "/usr/lib/x86_64-linux-gnu/wine/i386-windows",
      "/usr/i686-w64-mingw32/lib",
      "/usr/x86_64-w64-mingw32/lib",
  };
  for (const char* compilers :
       {"/usr/lib/gcc/i686-w64-mingw32", "/usr/lib/gcc/x86_64-w64-mingw32"}) {
    std::error_code error;
    for (const auto& version : std::filesystem::directory_iterator(compilers, error)) {
      folders.push_back(version.path().string());
    }
  }
  std::vector<std::string> present;
  for (const std::string& folder : folders) {
    if (std::filesystem::is_directory(folder)) present.push_back(folder);
  }
  return present;
}

int peFilesSeen = 0;

// Counts the PE files the scan meets, then lets the matcher decide as in any scan.
int countingMatcher(ScanContext& ctx, const char* familyName, const char* path) {
  if (std::unique_ptr<ReadableFile> file = ctx.os.openForReading(path)) {
    PeImageInfo info;
    if (readPeHeaders(*file, info)) ++peFilesSeen;
  }
  return matchSignatures(ctx, familyName, path);
}

const DetectorEntry kCountingTable[] = {{kFamilyName, countingMatcher}, {nullptr, nullptr}};

std::string randomBytes(std::size_t length, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(length, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// The sample with one byte of its first probe changed: the second probe still matches.
std::string firstProbeWrong(const SignatureRecord& record, std::string bytes) {
  sim::SimMachine scratch;
  scratch.addFile("C:\\s.exe", bytes);
  std::unique_ptr<ReadableFile> file = scratch.openForReading("C:\\s.exe");
  PeImageInfo info;
  EXPECT_TRUE(readPeHeaders(*file, info));
  const std::uint32_t offset =
      rvaToFileOffset(info.addressOfEntryPoint + static_cast<std::uint32_t>(record.probeOffset1),
                      info, static_cast<std::uint32_t>(bytes.size()));
  bytes[offset + 7] = static_cast<char>(bytes[offset + 7] ^ 0x5A);
  return bytes;
}

TEST(NoFalseDeletion, AFullScanDeletesEverySampleAndNoCleanFile) {
  sim::SimMachine os;
  const std::vector<std::string> folders = cleanFolders();
  ASSERT_FALSE(folders.empty()) << "no Windows binaries on this machine: run scripts/setup";
  char letter = 'E';
  for (const std::string& folder : folders) {
    os.addHostDrive(letter, folder);
    os.writeProtect(letter);
    ++letter;
  }

  // Look-alikes on C:, samples on D:.
  std::map<std::string, std::string> lookAlikes;
  std::set<std::string> samplePaths;
  for (int i = 0; i < kSignatureCount; ++i) {
    const SignatureRecord& record = kSignatureTable[i];
    const auto size = static_cast<std::uint32_t>(record.fileSize);
    const std::string stem = "C:\\lookalikes\\r" + std::to_string(i + 1);
    lookAlikes[stem + "-random.bin"] = randomBytes(size, static_cast<std::uint32_t>(i));
    lookAlikes[stem + "-headers.exe"] =
        samples::buildLookAlike(size, static_cast<std::uint32_t>(i));
    samples::SampleOptions secondWrong;
    secondWrong.miss = NearMiss::ProbeByteChanged;
    lookAlikes[stem + "-second-probe-wrong.exe"] = *samples::buildSample(record, secondWrong);
    lookAlikes[stem + "-first-probe-wrong.exe"] =
        firstProbeWrong(record, *samples::buildSample(record, {}));
    for (const SampleLayout layout :
         {SampleLayout::OneSection, SampleLayout::ThreeSections, SampleLayout::NoSections}) {
      samples::SampleOptions options;
      options.layout = layout;
      const auto bytes = samples::buildSample(record, options);
      if (!bytes) continue;
      const std::string path = "D:\\samples\\r" + std::to_string(i + 1) + "-layout" +
                               std::to_string(static_cast<int>(layout)) + ".exe";
      os.addFile(path, *bytes);
      samplePaths.insert(path);
    }
  }
  for (const auto& [path, bytes] : lookAlikes) os.addFile(path, bytes);
  ASSERT_GE(samplePaths.size(), static_cast<std::size_t>(kSignatureCount));

  ScanSession session;
  session.mainWindow = 1;
  ScanContext ctx(os, session, kCountingTable);
  std::vector<std::string> lines;
  os.onSend = [&](std::uint32_t message) {
    if (message == kStatusMsgAddLine) lines.push_back(session.reportLine);
  };
  peFilesSeen = 0;
  EXPECT_EQ(runScanSession(ctx), 1);

  // The disposal touched nothing but the samples: no attribute change, no deletion elsewhere.
  std::set<std::string> touched;
  for (const std::string prefix : {"delete ", "setAttributes "}) {
    for (const std::string& call : os.callsStartingWith(prefix)) {
      std::string path = call.substr(prefix.size());
      if (prefix == "setAttributes ") path = path.substr(0, path.rfind(' '));
      touched.insert(path);
    }
  }
  EXPECT_EQ(touched, samplePaths);
  for (const auto& [path, bytes] : lookAlikes) {
    const sim::Node* node = os.find(path);
    ASSERT_NE(node, nullptr) << path;
    EXPECT_TRUE(node->content == bytes) << path;
  }
  std::set<std::string> reported;
  for (const std::string& line : lines) {
    const std::size_t gap = line.find("     W32/Talvorn.");
    if (gap == std::string::npos) continue;
    EXPECT_TRUE(line.ends_with(" removed")) << line;
    reported.insert(line.substr(0, gap));
  }
  EXPECT_EQ(reported, samplePaths);
  int samplesDeleted = 0;
  for (const std::string& path : samplePaths) samplesDeleted += os.exists(path) ? 0 : 1;
  EXPECT_EQ(samplesDeleted, static_cast<int>(samplePaths.size()));
  EXPECT_EQ(session.filesInfected, static_cast<std::int32_t>(samplePaths.size()));
  EXPECT_EQ(session.filesRemoved, static_cast<std::int32_t>(samplePaths.size()));

  // A corpus the scan hardly saw would prove nothing: Wine alone ships hundreds of programs.
  const int cleanScanned = session.filesScanned - static_cast<int>(samplePaths.size());
  const int peClean = peFilesSeen - static_cast<int>(samplePaths.size());
  EXPECT_GT(peClean, 500);
  int cleanTouched = 0;
  for (const std::string& path : touched) cleanTouched += samplePaths.count(path) ? 0 : 1;
  std::printf(
      "no-false-deletion: %d clean files scanned (%d PE files, %zu look-alikes), "
      "%d deleted; %d of %zu samples deleted\n",
      cleanScanned, peClean, lookAlikes.size(), cleanTouched, samplesDeleted, samplePaths.size());
}

}  // namespace
}  // namespace vs::test
