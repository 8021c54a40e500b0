// vantoscan on disk images built with Debian's tools: a disk whose first partition holds data
// (FAT32) and whose second holds the Windows installation (NTFS), as raw, split raw, VHD, VMDK and
// E01 (the split and E01 ones in several files, opened by the first); bare
// file-system images of the same tree that is scanned as a mounted folder; damaged images.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/signature_record.h"
#include "images/image_builder.h"
#include "offline/scratch.h"
#include "offline/windows_tree.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAreArray;

constexpr const char* kRunFinding = "System Registry     W32/Talvorn.Trojan detected";
constexpr std::uint32_t kFatMegabytes = 34;
constexpr std::uint32_t kNtfsMegabytes = 24;

// The data drive's tree: a sample, a look-alike of the same record, a hidden system file, and a
// folder the damage tests point back at itself.
constexpr int kDataRecord = 20;
std::vector<ImageItem> dataItems() {
  const SignatureRecord& record = kSignatureTable[kDataRecord];
  return {imageDirectory("Data"),
          imageFile("Data\\crack.exe", samples::buildSample(record, {}).value()),
          imageFile("Data\\tool.exe", samples::buildLookAlike(record.fileSize, 9)),
          imageDirectory("Data\\Again"),
          imageFile("Data\\Again\\notes.txt", "notes"),
          imageFile("Data\\desktop.ini", "[.ShellClassInfo]", 0x2 | 0x4),
          imageFile("readme.txt", "data drive")};
}

std::size_t filesIn(const std::vector<ImageItem>& items) {
  return static_cast<std::size_t>(std::count_if(items.begin(), items.end(), [](const ImageItem& i) {
    return i.kind == ImageItem::Kind::File;
  }));
}

std::string shellDigest(const std::string& command, const ScratchFolder& scratch) {
  // In a group of its own: the runner's redirections would take the place of the pipe.
  const CommandResult result = runCommand("(" + command + " | sha256sum)", scratch);
  return result.lines.empty() ? "" : result.lines[0].substr(0, 64);
}

// The report of an image scan taken apart: the records before the scan, the finding lines (with
// where each lies cut off, kept apart), the statistics and the final status.
struct ImageReport {
  std::vector<std::string> opening;
  std::vector<std::string> findings;
  std::vector<std::string> places;
  std::vector<std::string> closing;
};

ImageReport split(const CommandResult& result) {
  ImageReport report;
  bool closing = false;
  for (const std::string& line : result.lines) {
    closing = closing || line == " " || line == "Scanning statistics";
    const bool opening = line.rfind("Drive ", 0) == 0 || line.rfind("Skipped ", 0) == 0 ||
                         line.rfind("Truncated ", 0) == 0 || line.rfind("No file system", 0) == 0;
    if (closing) {
      report.closing.push_back(line);
    } else if (opening) {
      report.opening.push_back(line);
    } else {
      const std::size_t place = line.find("  [");
      report.findings.push_back(line.substr(0, place));
      report.places.push_back(place == std::string::npos ? "" : line.substr(place));
    }
  }
  return report;
}

std::vector<std::string> closingFor(std::size_t scanned, std::size_t infected) {
  return {" ",
          "Scanning statistics",
          "------------------------------",
          "Total files scanned\t\t:  " + std::to_string(scanned),
          "Total files infected\t\t:  " + std::to_string(infected),
          "Total files removed\t\t:  0",
          "Scanning completed"};
}

// A field of a JSON object on one line, unescaped as far as the tests need: a string's text (its
// backslashes doubled as the JSON has them, turned back to one) or a number's digits; empty when
// the object has no such field.
std::string jsonField(const std::string& line, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  const std::size_t at = line.find(key);
  if (at == std::string::npos) return {};
  std::size_t i = at + key.size();
  std::string value;
  if (i < line.size() && line[i] == '"') {
    for (++i; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value += line[i];
    }
  } else {
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) value += line[i++];
  }
  return value;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// Built once for all tests: the installation as a folder and as items, the file systems, and
// the disk in every format.
class ImageScanTest : public ::testing::Test {
 protected:
  struct World {
    ScratchFolder scratch;
    WindowsTree tree;
    std::vector<ImageItem> systemItems;
    std::string fat;
    std::string ntfs;
    std::string raw;
    std::vector<std::uint64_t> offsets;
    std::map<std::string, std::string> formats;  // name -> image file
  };

  static void SetUpTestSuite() {
    world = new World;
    World& w = *world;
    w.tree = buildWindowsTree(w.scratch.path() + "/tree");
    w.systemItems = itemsFromFolder(w.tree.volume);
    w.fat = w.scratch.path() + "/data.img";
    w.ntfs = w.scratch.path() + "/system.img";
    w.raw = w.scratch.path() + "/disk.raw";
    std::string error;
    ASSERT_TRUE(
        buildFileSystemImage(w.fat, FileSystemKind::Fat32, dataItems(), error, kFatMegabytes))
        << error;
    ASSERT_TRUE(
        buildFileSystemImage(w.ntfs, FileSystemKind::Ntfs, w.systemItems, error, kNtfsMegabytes))
        << error;
    ASSERT_TRUE(
        buildPartitionedDisk(w.raw, {{w.fat, "c", 0, ""}, {w.ntfs, "7", 0, ""}}, w.offsets, error))
        << error;
    w.formats["raw"] = w.raw;
    for (const auto& [name, format] : {std::pair{"split", DiskFormat::SplitRaw},
                                       {"vhd", DiskFormat::Vhd},
                                       {"vmdk", DiskFormat::Vmdk},
                                       {"e01", DiskFormat::E01}}) {
      ASSERT_TRUE(
          convertDisk(w.raw, format, w.scratch.path() + "/disk-" + name, w.formats[name], error))
          << error;
    }
  }
  static void TearDownTestSuite() {
    delete world;
    world = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(world && world->formats.size() == 5); }

  // The file lines every scan of the disk must give: the installation's samples on C:, the data
  // drive's on D:.
  static std::vector<std::string> sampleLines() {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < world->tree.samples.size(); ++i) {
      lines.push_back(world->tree.samples[i] + "     " + world->tree.sampleNames[i] + " detected");
    }
    lines.push_back(std::string("D:\\Data\\crack.exe     ") + kSignatureTable[kDataRecord].name +
                    " detected");
    return lines;
  }
  static std::size_t filesOnDisk() { return filesIn(world->systemItems) + filesIn(dataItems()); }

  static World* world;
  ScratchFolder scratch;
};

ImageScanTest::World* ImageScanTest::world = nullptr;

TEST_F(ImageScanTest, EveryFormatOfTheDiskGivesTheSameFindings) {
  std::vector<std::string> expected = sampleLines();
  // The four Run and RunServices values that start a sample, as the Windows tool removes them.
  expected.insert(expected.end(), 4, kRunFinding);

  std::vector<std::string> rawReport;
  for (const char* name : {"raw", "split", "vhd", "vmdk", "e01"}) {
    SCOPED_TRACE(name);
    const std::string& image = world->formats[name];
    const CommandResult result = runCommand(vantoscan("--image " + image), scratch);
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    const ImageReport report = split(result);
    EXPECT_THAT(report.opening,
                ElementsAreArray({"Drive C:  partition 2 of " + image + " at byte " +
                                      std::to_string(world->offsets[1]) + " (ntfs)",
                                  "Drive D:  partition 1 of " + image + " at byte " +
                                      std::to_string(world->offsets[0]) + " (fat32)"}));
    EXPECT_THAT(report.findings, UnorderedElementsAreArray(expected));
    EXPECT_THAT(report.closing, ElementsAreArray(closingFor(filesOnDisk(), sampleLines().size())));
    // Line for line, where each finding lies included, the formats agree with the raw disk.
    std::vector<std::string> lines;
    for (const std::string& line : result.lines) lines.push_back(replaceAll(line, image, "DISK"));
    if (rawReport.empty()) {
      rawReport = lines;
    } else {
      EXPECT_EQ(lines, rawReport);
    }
  }
}

// A GPT disk as Windows lays one out: a FAT32 system partition, the reserved partition that holds
// no file system, and the installation; and the same file systems given as two images.
TEST_F(ImageScanTest, GptDisksAndSeveralImagesGetTheirLettersTheSameWay) {
  const std::string gpt = scratch.path() + "/gpt.raw";
  std::vector<std::uint64_t> offsets;
  std::string error;
  ASSERT_TRUE(buildPartitionedDisk(
      gpt,
      {{world->fat, "C12A7328-F81F-11D2-BA4B-00A0C93EC93B", 0, "EFI system partition"},
       {"", "E3C9E316-0B5C-4DB8-817D-F92DF00215AE", 16, "Microsoft reserved partition"},
       {world->ntfs, "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7", 0, "Basic data partition"}},
      offsets, error, "gpt"))
      << error;
  const CommandResult disk = runCommand(vantoscan("--image " + gpt), scratch);
  // The reserved partition is named, and is no damage.
  EXPECT_EQ(disk.exitCode, 1) << disk.errors;
  EXPECT_THAT(
      split(disk).opening,
      ElementsAreArray(
          {"Drive C:  partition 3 of " + gpt + " at byte " + std::to_string(offsets[2]) + " (ntfs)",
           "Drive D:  partition 1 of " + gpt + " at byte " + std::to_string(offsets[0]) +
               " (fat32)",
           "No file system  partition 2 of " + gpt + " at byte " + std::to_string(offsets[1]) +
               " (Microsoft reserved partition)"}));

  const CommandResult images =
      runCommand(vantoscan("--image " + world->fat + " --image " + world->ntfs), scratch);
  EXPECT_EQ(images.exitCode, 1) << images.errors;
  EXPECT_THAT(split(images).opening, ElementsAreArray({"Drive C:  " + world->ntfs + " (ntfs)",
                                                       "Drive D:  " + world->fat + " (fat32)"}));
  for (const CommandResult* result : {&disk, &images}) {
    std::vector<std::string> expected = sampleLines();
    expected.insert(expected.end(), 4, kRunFinding);
    EXPECT_THAT(split(*result).findings, UnorderedElementsAreArray(expected));
  }
}

TEST_F(ImageScanTest, EachJsonRecordLeadsBackToItsFileWithTheUsualTools) {
  const CommandResult result = runCommand(vantoscan("--json --image " + world->raw), scratch);
  ASSERT_EQ(result.exitCode, 1) << result.errors;
  std::vector<std::string> paths;
  std::vector<std::string> values;
  for (const std::string& line : result.lines) {
    const std::string type = jsonField(line, "type");
    if (type == "file") {
      const std::string path = jsonField(line, "path");
      paths.push_back(path);
      EXPECT_EQ(jsonField(line, "outcome"), "detected");
      EXPECT_EQ(jsonField(line, "image"), world->raw);
      const std::uint64_t offset = std::stoull(jsonField(line, "offset"));
      EXPECT_EQ(offset, world->offsets[path[0] == 'C' ? 1 : 0]) << path;
      const std::string digest = jsonField(line, "sha256");
      EXPECT_EQ(digest.size(), 64u) << path;
      // The Sleuth Kit's own icat, given the partition's sector and the inode, gives the bytes
      // the digest was taken of.
      const std::string icat = "icat -o " + std::to_string(offset / 512) + " " + world->raw + " " +
                               jsonField(line, "inode");
      EXPECT_EQ(shellDigest(icat, scratch), digest) << path;
      if (path[0] == 'C') {
        EXPECT_EQ(shellDigest("cat '" + hostPath(world->tree, path) + "'", scratch), digest);
      }
    } else if (type == "registry") {
      const std::string value = jsonField(line, "value");
      values.push_back(value);
      EXPECT_EQ(jsonField(line, "outcome"), "detected");
      EXPECT_EQ(jsonField(line, "hive"), "C:\\WINDOWS\\system32\\config\\SOFTWARE");
      EXPECT_EQ(jsonField(line, "key"),
                std::string("Software\\Microsoft\\Windows\\CurrentVersion\\") +
                    (value == "Loader" ? "RunServices" : "Run"));
      EXPECT_EQ(jsonField(line, "offset"), std::to_string(world->offsets[1]));
      EXPECT_FALSE(jsonField(line, "inode").empty());
    }
  }
  std::vector<std::string> expectedPaths;
  for (const std::string& line : sampleLines()) {
    expectedPaths.push_back(line.substr(0, line.find("     ")));
  }
  EXPECT_THAT(paths, UnorderedElementsAreArray(expectedPaths));
  EXPECT_THAT(values, UnorderedElementsAreArray({"Helper", "Setup", "Updater", "Loader"}));
  ASSERT_FALSE(result.lines.empty());
  EXPECT_EQ(jsonField(result.lines.front(), "type"), "drive");
  EXPECT_EQ(jsonField(result.lines.front(), "drive"), "C:");
}

// The same installation as a mounted folder and as a bare file system of either kind: the same
// file findings as the folder's detection-only scan, and the registry findings that the removal
// from the folder reports.
TEST_F(ImageScanTest, TheSameTreeMountedAndImagedGivesTheSameFindings) {
  const CommandResult mounted = runCommand(vantoscan(world->tree.volume), scratch);
  ASSERT_EQ(mounted.exitCode, 1);
  std::vector<std::string> expected(mounted.lines.begin(), mounted.lines.end() - 7);
  ScratchFolder removalScratch;
  const WindowsTree copy = buildWindowsTree(removalScratch.path());
  const CommandResult removal = runCommand(vantoscan("--remove " + copy.volume), scratch);
  for (const std::string& line : removal.lines) {
    if (line.rfind("System Registry", 0) == 0)
      expected.push_back(replaceAll(line, "removed", "detected"));
  }
  ASSERT_EQ(expected.size(), world->tree.samples.size() + 4);

  for (const FileSystemKind kind : {FileSystemKind::Fat32, FileSystemKind::Ntfs}) {
    const std::string image = scratch.path() + "/bare.img";
    std::string error;
    ASSERT_TRUE(buildFileSystemImage(image, kind, world->systemItems, error)) << error;
    const CommandResult result = runCommand(vantoscan("--image " + image), scratch);
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    const ImageReport report = split(result);
    EXPECT_THAT(report.opening,
                ElementsAreArray({"Drive C:  " + image +
                                  (kind == FileSystemKind::Ntfs ? " (ntfs)" : " (fat32)")}));
    EXPECT_THAT(report.findings, UnorderedElementsAreArray(expected));
    EXPECT_THAT(report.closing, ElementsAreArray(closingFor(filesIn(world->systemItems),
                                                            world->tree.samples.size())));
  }
}

TEST_F(ImageScanTest, ImagesAreOnlyRead) {
  const std::string before = shellDigest("cat " + world->raw, scratch);
  const struct {
    std::string arguments;
    std::string message;
  } refused[] = {
      {"--remove --image " + world->raw, "--remove cannot be used with --image"},
      {"--image " + world->raw + " --remove", "--remove cannot be used with --image"},
      {"--image " + world->raw + " " + world->tree.volume, "--image cannot be combined"},
      {"--image", "--image wants a disk image file"},
  };
  for (const auto& c : refused) {
    const CommandResult result = runCommand(vantoscan(c.arguments), scratch);
    EXPECT_EQ(result.exitCode, 2) << c.arguments;
    EXPECT_TRUE(result.lines.empty()) << c.arguments;
    EXPECT_THAT(result.errors, HasSubstr(c.message)) << c.arguments;
  }
  // A scan opens the image for reading only, and takes no lock that would keep another reader
  // out: it runs while another program holds the file locked, from a folder mounted read-only
  // (in a mount namespace of the test's own).
  const CommandResult locked = runCommand(
      "flock --exclusive " + world->raw + " timeout 60 " + vantoscan("--image " + world->raw),
      scratch);
  EXPECT_EQ(locked.exitCode, 1) << locked.errors;
  if (runCommand("unshare -m true", scratch).exitCode == 0) {
    const std::string folder = fs::path(world->raw).parent_path().string();
    const CommandResult readOnly =
        runCommand("unshare -m sh -c 'mount --bind " + folder + " " + folder +
                       " && mount -o remount,bind,ro " + folder + " && exec " +
                       vantoscan("--image " + world->raw) + "'",
                   scratch);
    EXPECT_EQ(readOnly.exitCode, 1) << readOnly.errors;
  }
  EXPECT_EQ(shellDigest("cat " + world->raw, scratch), before);
}

// Writes bytes over a copy of an image at an offset.
void patch(const std::string& image, std::uint64_t offset, const std::string& bytes) {
  std::fstream file(image, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string littleEndian32(std::uint32_t value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
          static_cast<char>(value >> 24)};
}

// Damaged images, each scanned under the sanitizers: an error and code 2, or whatever cannot be
// read skipped with its reason and the rest scanned; never a crash or a hang.
TEST_F(ImageScanTest, DamagedImagesGiveTheirErrorOrSkipWhatCannotBeRead) {
  const std::uint64_t data = world->offsets[0];
  const std::uint64_t system = world->offsets[1];
  const std::uint64_t sectors = fs::file_size(world->raw) / 512;
  const std::string dataSample = sampleLines().back();
  // Without the installation's partition the data partition is the first drive.
  const std::string dataSampleOnC = "C" + dataSample.substr(1);
  auto fatEntry = [](const char* name) {
    const std::int64_t at = fatEntryOffset(world->fat, name);
    EXPECT_GE(at, 0) << name;
    return world->offsets[0] + static_cast<std::uint64_t>(at);
  };
  // The directory entry of Data\Again made to point at Data's own first cluster.
  const std::uint64_t dataEntry = fatEntry("DATA       ");
  const std::uint64_t againEntry = fatEntry("AGAIN      ");
  const std::string raw = readFile(world->raw);
  const std::string dataCluster = raw.substr(dataEntry + 20, 2) + raw.substr(dataEntry + 26, 2);

  const struct {
    const char* name;
    std::function<void(const std::string& image)> damage;
    int exitCode;
    std::string message;
    std::vector<std::string> stillFound;
  } cases[] = {
      {"not an image",
       [](const std::string& image) { writeFile("/", image.substr(1), "text\n"); },
       2,
       "neither a file system nor a partition table",
       {}},
      {"an empty file",
       [](const std::string& image) { fs::resize_file(image, 0); },
       2,
       "neither a file system nor a partition table",
       {}},
      {"cut after the partition table",
       [](const std::string& image) { fs::resize_file(image, 1024); },
       2,
       "Starting sector too large for image",
       {}},
      {"cut inside the system partition",
       [&](const std::string& image) { fs::resize_file(image, system + (4 << 20)); },
       2,
       "Truncated  partition 2",
       {dataSampleOnC}},
      {"cut inside the system partition's boot sector",
       [&](const std::string& image) { fs::resize_file(image, system + 256); },
       2,
       "the image ends before the partition does",
       {dataSampleOnC}},
      {"a zeroed boot sector",
       [&](const std::string& image) { patch(image, system, std::string(512, '\0')); },
       2,
       "Skipped  partition 2",
       {dataSampleOnC}},
      {"a zeroed boot sector and its copy",
       [&](const std::string& image) {
         patch(image, data, std::string(512, '\0'));
         patch(image, data + 6 * 512, std::string(512, '\0'));
       },
       2,
       "Skipped  partition 1",
       {world->tree.samples[0] + "     " + world->tree.sampleNames[0] + " detected", kRunFinding}},
      {"a partition entry pointing past the end",
       [&](const std::string& image) {
         patch(image, 446 + 2 * 16 + 4,
               std::string("\x83\0\0\0", 4) +
                   littleEndian32(static_cast<std::uint32_t>(sectors + 2048)) +
                   littleEndian32(2048));
       },
       2,
       "Skipped  partition 3 of",
       {dataSample, kRunFinding}},
      {"the first partition entry pointing past the end",
       [&](const std::string& image) {
         patch(image, 446 + 8, littleEndian32(static_cast<std::uint32_t>(sectors + 2048)));
       },
       2,
       "Starting sector too large for image",
       {}},
      {"a directory entry pointing at its own folder",
       [&](const std::string& image) {
         patch(image, againEntry + 20, dataCluster.substr(0, 2));
         patch(image, againEntry + 26, dataCluster.substr(2, 2));
       },
       2,
       "Skipped  D:\\Data\\Again",
       {dataSample}},
      {"a file entry claiming 4 GiB",
       [&](const std::string& image) {
         patch(image, fatEntry("README  TXT") + 28, littleEndian32(0xFFFFFFF0u));
       },
       1,
       "",
       {dataSample, kRunFinding}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string image = scratch.path() + "/damaged.raw";
    fs::copy_file(world->raw, image, fs::copy_options::overwrite_existing);
    c.damage(image);
    const CommandResult result =
        runCommand("timeout 120 " + vantoscan("--image " + image), scratch);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.errors;
    std::string all = result.errors;
    for (const std::string& line : result.lines) all += line + "\n";
    EXPECT_THAT(all, HasSubstr(c.message));
    const ImageReport report = split(result);
    for (const std::string& line : c.stillFound) {
      EXPECT_EQ(std::count(report.findings.begin(), report.findings.end(), line),
                line == kRunFinding ? 4 : 1)
          << line << " in " << ::testing::PrintToString(result.lines);
    }
  }
  EXPECT_EQ(runCommand(vantoscan("--image " + scratch.path() + "/missing.raw"), scratch).exitCode,
            2);
}

}  // namespace
}  // namespace vs::test
