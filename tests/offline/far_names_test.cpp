// vantoscan reaches every file whatever its name or depth: names of characters a Western code page
// cannot spell and paths longer than the Windows tool's ANSI buffers are scanned, reported with
// their Windows paths and, from a mounted folder, removed; on mounted folders and on disk images
// alike.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/signature_record.h"
#include "images/image_builder.h"
#include "offline/scratch.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

using ::testing::UnorderedElementsAreArray;

constexpr std::size_t kClosingLines = 7;

// Chinese names ("中文.exe" holds a sample, "中国.exe" a look-alike of it) and a sample below two
// folders of 100 characters, whose path ("C:\Users\...\deep.exe") is longer than 260.
const std::string kChinese = "Users\\\xE4\xB8\xAD\xE6\x96\x87.exe";
const std::string kChineseLookAlike = "Users\\\xE4\xB8\xAD\xE5\x9B\xBD.exe";
const std::string kDeepFolder = "Users\\" + std::string(100, 'a') + "\\" + std::string(100, 'b');
const std::string kDeep = kDeepFolder + "\\deep.exe";

std::vector<ImageItem> farItems() {
  return {imageDirectory("Users"),
          imageFile(kChinese, samples::buildSample(kSignatureTable[0], {}).value()),
          imageFile(kChineseLookAlike, samples::buildLookAlike(kSignatureTable[0].fileSize, 4)),
          imageDirectory("Users\\" + std::string(100, 'a')),
          imageDirectory(kDeepFolder),
          imageFile(kDeep, samples::buildSample(kSignatureTable[1], {}).value()),
          imageFile("Users\\notes.txt", "notes")};
}

std::vector<std::string> findingLines(const std::string& outcome) {
  return {"C:\\" + kChinese + "     " + kSignatureTable[0].name + " " + outcome,
          "C:\\" + kDeep + "     " + kSignatureTable[1].name + " " + outcome};
}

// The report's lines before the statistics, without where each finding lies in an image.
std::vector<std::string> findings(const CommandResult& result) {
  std::vector<std::string> lines;
  if (result.lines.size() < kClosingLines) return lines;
  for (auto line = result.lines.begin(); line != result.lines.end() - kClosingLines; ++line) {
    if (line->rfind("Drive ", 0) == 0) continue;
    lines.push_back(line->substr(0, line->find("  [")));
  }
  return lines;
}

std::string scannedLine(const CommandResult& result) {
  return result.lines.size() < kClosingLines ? "" : result.lines[result.lines.size() - 4];
}

// A path below the volume as its snapshot names it.
std::string snapshotName(std::string windowsPath) {
  for (char& c : windowsPath) c = c == '\\' ? '/' : c;
  return windowsPath;
}

TEST(FarNames, AMountedFolderIsScannedAndCleanedWhateverTheNamesAndDepths) {
  ScratchFolder scratch;
  const std::string volume = scratch.path() + "/volume";
  makeItemsInFolder(volume, farItems());

  const CommandResult detected = runCommand(vantoscan(volume), scratch);
  EXPECT_EQ(detected.exitCode, 1) << detected.errors;
  EXPECT_THAT(findings(detected), UnorderedElementsAreArray(findingLines("detected")));
  EXPECT_EQ(scannedLine(detected), "Total files scanned\t\t:  4");

  const CommandResult removed = runCommand(vantoscan("--remove " + volume), scratch);
  EXPECT_EQ(removed.exitCode, 1) << removed.errors;
  EXPECT_THAT(findings(removed), UnorderedElementsAreArray(findingLines("removed")));
  const auto after = snapshot(volume);
  EXPECT_EQ(after.count(snapshotName(kChinese)), 0u);
  EXPECT_EQ(after.count(snapshotName(kDeep)), 0u);
  EXPECT_EQ(after.count(snapshotName(kChineseLookAlike)), 1u);
  EXPECT_EQ(after.count("Users/notes.txt"), 1u);
}

TEST(FarNames, DiskImagesGiveTheSameFindings) {
  for (const FileSystemKind kind : {FileSystemKind::Ntfs, FileSystemKind::Fat32}) {
    SCOPED_TRACE(kind == FileSystemKind::Ntfs ? "NTFS" : "FAT32");
    ScratchFolder scratch;
    const std::string image = scratch.path() + "/far.img";
    std::string error;
    ASSERT_TRUE(buildFileSystemImage(image, kind, farItems(), error)) << error;
    const CommandResult result = runCommand(vantoscan("--image " + image), scratch);
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    EXPECT_THAT(findings(result), UnorderedElementsAreArray(findingLines("detected")));
    EXPECT_EQ(scannedLine(result), "Total files scanned\t\t:  4");
  }
}

}  // namespace
}  // namespace vs::test
