// Drives inside disk images: what a listing gives (as Windows lists it), the Win32 codes of
// missing and unusable paths (the same as a mounted folder's for the same tree), reading, and an
// image that nothing changes.
#include "platform/image/image_volume.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "images/image_builder.h"
#include "offline/scratch.h"
#include "platform/error_codes.h"
#include "platform/image/image_partitions.h"
#include "platform/volumes/drive_table.h"
#include "platform/volumes/mounted_volume.h"

namespace vs::test {
namespace {

using ::testing::UnorderedElementsAreArray;

struct Listed {
  std::string name;
  std::uint32_t attributes;
  std::uint64_t size;
  bool operator==(const Listed&) const = default;
};

void PrintTo(const Listed& listed, std::ostream* out) {
  *out << listed.name << " attributes " << std::hex << listed.attributes << std::dec << " size "
       << listed.size;
}

// The bits both kinds of drive can hold: a folder holds no hidden or system bit and keeps no
// archive bit of its own.
constexpr std::uint32_t kShared = kAttrReadOnly | kAttrDirectory | kAttrReparsePoint;

// A tree that a folder and both file systems can hold alike.
std::vector<ImageItem> plainTree() {
  return {imageDirectory("Windows"),
          imageDirectory("Windows\\System32"),
          imageFile("Windows\\System32\\hal.dll", std::string(1000, 'h')),
          imageFile("Windows\\ReadOnly.txt", "r", kAttrReadOnly),
          imageDirectory("Program Files"),
          imageDirectory("Program Files\\Long Folder Name"),
          imageFile("Program Files\\Long Folder Name\\Some Long File Name.txt", "long"),
          imageFile("UPPER.TXT", ""),
          imageFile("lower.txt", "lower case")};
}

// A drive table holding one drive, C:, and the calls the platform makes on Windows paths.
class Drive {
 public:
  explicit Drive(std::unique_ptr<volumes::Volume> volume) {
    EXPECT_TRUE(volume != nullptr);
    if (volume) table_.add('C', std::move(volume));
  }
  // The entries of a listing, or none with the error it left.
  std::vector<Listed> list(const std::string& pattern, std::uint32_t sharedBits = ~0u) {
    std::vector<Listed> found;
    std::unique_ptr<DirectoryListing> listing = table_.listDirectory(pattern.c_str());
    DirectoryEntry entry;
    while (listing && listing->next(entry)) {
      found.push_back({entry.name, entry.attributes & sharedBits, entry.size});
    }
    return found;
  }
  // A call's answer: whether it succeeded, and the error left when it did not.
  std::string answer(bool succeeded) {
    return succeeded ? "ok" : "error " + std::to_string(error_);
  }
  std::string read(const std::string& path) {
    std::unique_ptr<ReadableFile> file = table_.openForReading(path.c_str());
    if (!file) return answer(false);
    std::string bytes(static_cast<std::size_t>(file->length()), '\0');
    const std::int32_t got = file->read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return got == static_cast<std::int32_t>(bytes.size()) ? bytes : "short read";
  }
  volumes::DriveTable& table() { return table_; }
  std::uint32_t error() const { return error_; }

 private:
  std::uint32_t error_ = 0;
  volumes::DriveTable table_{error_};
};

std::unique_ptr<image::ImageVolume> openImage(const std::string& path) {
  std::string error;
  std::unique_ptr<image::ImageVolume> volume = openImageVolume(path, error);
  EXPECT_TRUE(volume) << error;
  return volume;
}

std::string buildImage(const ScratchFolder& scratch, FileSystemKind kind,
                       const std::vector<ImageItem>& items) {
  const std::string image =
      scratch.path() + (kind == FileSystemKind::Fat32 ? "/fat.img" : "/ntfs.img");
  std::string error;
  EXPECT_TRUE(buildFileSystemImage(image, kind, items, error)) << error;
  return image;
}

class ImageVolumeTest : public ::testing::TestWithParam<FileSystemKind> {
 protected:
  ScratchFolder scratch;
};

// Every call the walk and the matcher make, answered alike by a mounted folder and by the image
// of the same tree.
TEST_P(ImageVolumeTest, AnswersAsAMountedFolderOfTheSameTree) {
  const std::vector<ImageItem> tree = plainTree();
  makeItemsInFolder(scratch.path() + "/folder", tree);
  Drive folder(volumes::MountedVolume::open(scratch.path() + "/folder"));
  Drive image(openImage(buildImage(scratch, GetParam(), tree)));

  for (const char* pattern :
       {"C:\\*.*", "C:\\Windows\\*.*", "C:\\WINDOWS\\system32\\*.*", "C:\\windows\\*.txt",
        "C:\\Program Files\\long folder name\\*.*", "C:\\lower.txt", "C:\\Windows\\*.zzz",
        "C:\\Nowhere\\*.*", "C:\\lower.txt\\*.*", "C:\\Nowhere\\deeper\\*.*"}) {
    const std::vector<Listed> expected = folder.list(pattern, kShared);
    const std::string expectedError = expected.empty() ? folder.answer(false) : "ok";
    EXPECT_THAT(image.list(pattern, kShared), UnorderedElementsAreArray(expected)) << pattern;
    EXPECT_EQ(expected.empty() ? image.answer(false) : "ok", expectedError) << pattern;
  }
  for (const char* path :
       {"C:\\", "C:\\Windows", "C:\\windows\\SYSTEM32\\HAL.DLL", "C:\\Windows\\nothing.txt",
        "C:\\Nowhere\\nothing.txt", "C:\\lower.txt\\below", "C:\\Program Files\\"}) {
    EXPECT_EQ(image.answer(image.table().pathExists(path)),
              folder.answer(folder.table().pathExists(path)))
        << path;
  }
  for (const char* path :
       {"C:\\Windows\\System32\\hal.dll",
        "C:\\PROGRAM FILES\\Long Folder "
        "Name\\some long file name.TXT",
        "C:\\UPPER.TXT", "C:\\Windows", "C:\\Windows\\missing.exe", "C:\\Missing\\file.exe"}) {
    EXPECT_EQ(image.read(path), folder.read(path)) << path;
  }
}

// What Windows lists and the mounted folder cannot show: hidden and system bits, no deleted
// entries, and on NTFS neither the metadata files nor alternate data streams.
TEST_P(ImageVolumeTest, ListsWhatWindowsListsWithTheStoredBits) {
  std::vector<ImageItem> tree = {
      imageDirectory("Windows", kAttrHidden),
      imageFile("Windows\\notepad.exe", "MZ", kAttrHidden | kAttrSystem),
      imageFile("Windows\\ReadOnly.txt", "r", kAttrReadOnly),
      {ImageItem::Kind::Deleted, "Windows\\gone.txt", {}, 0, {}, 0},
      {ImageItem::Kind::Deleted, "gone.txt", {}, 0, {}, 0},
      {ImageItem::Kind::VolumeLabel, "SYSTEM", {}, 0, {}, 0},
      imageFile("kept.txt", "kept"),
  };
  std::vector<Listed> root = {{"Windows", kAttrDirectory | kAttrHidden, 0}, {"kept.txt", 0, 4}};
  if (GetParam() == FileSystemKind::Ntfs) {
    tree.push_back(
        {ImageItem::Kind::Stream, "Windows\\notepad.exe", "hidden data", 0, "secret", 0});
    // Links are reparse points of length 0, as a mounted folder lists its links.
    tree.push_back({ImageItem::Kind::FileLink, "link.txt", {}, 0, "kept.txt", 0});
    tree.push_back({ImageItem::Kind::DirectoryLink, "dirlink", {}, 0, "Windows", 0});
    root.push_back({"link.txt", kAttrReparsePoint, 0});
    root.push_back({"dirlink", kAttrDirectory | kAttrReparsePoint, 0});
  }
  Drive drive(openImage(buildImage(scratch, GetParam(), tree)));
  constexpr std::uint32_t kStated = kShared | kAttrHidden | kAttrSystem;

  EXPECT_THAT(drive.list("C:\\*.*", kStated), UnorderedElementsAreArray(root));
  EXPECT_THAT(
      drive.list("C:\\Windows\\*.*", kStated),
      UnorderedElementsAreArray(std::vector<Listed>{{".", kAttrDirectory, 0},
                                                    {"..", kAttrDirectory, 0},
                                                    {"notepad.exe", kAttrHidden | kAttrSystem, 2},
                                                    {"ReadOnly.txt", kAttrReadOnly, 1}}));
  // The listing gives "." and ".." before the folder's own entries, as Windows does.
  const std::vector<Listed> windows = drive.list("C:\\Windows\\*.*");
  ASSERT_GE(windows.size(), 2u);
  EXPECT_EQ(windows[0].name, ".");
  EXPECT_EQ(windows[1].name, "..");
  EXPECT_EQ(drive.read("C:\\Windows\\notepad.exe"), "MZ");
  for (const char* hidden : {"C:\\$MFT", "C:\\$Extend", "C:\\gone.txt", "C:\\$OrphanFiles",
                             "C:\\$FAT1", "C:\\Windows\\notepad.exe:secret"}) {
    EXPECT_FALSE(drive.table().pathExists(hidden)) << hidden;
  }
}

TEST_P(ImageVolumeTest, FilesReadSeekAndNothingIsEverWritten) {
  const std::string image = buildImage(scratch, GetParam(), plainTree());
  const std::string before = readFile(image);
  Drive drive(openImage(image));

  std::unique_ptr<ReadableFile> file = drive.table().openForReading("C:\\lower.txt");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->length(), 10);
  char bytes[16] = {};
  ASSERT_TRUE(file->seek(6));
  EXPECT_EQ(file->read(bytes, sizeof bytes), 4);
  EXPECT_STREQ(bytes, "case");
  EXPECT_EQ(file->read(bytes, sizeof bytes), 0);
  ASSERT_TRUE(file->seek(1000));
  EXPECT_EQ(file->read(bytes, sizeof bytes), 0);
  EXPECT_FALSE(file->seek(-1));
  EXPECT_EQ(drive.error(), kErrorNegativeSeek);

  EXPECT_FALSE(drive.table().deleteFile("C:\\lower.txt"));
  EXPECT_EQ(drive.error(), kErrorWriteProtect);
  EXPECT_FALSE(drive.table().setFileAttributes("C:\\Windows\\ReadOnly.txt", 0));
  EXPECT_EQ(drive.error(), kErrorWriteProtect);
  EXPECT_FALSE(drive.table().deleteFile("C:\\missing.txt"));
  EXPECT_EQ(drive.error(), kErrorFileNotFound);
  EXPECT_EQ(drive.read("C:\\lower.txt"), "lower case");
  EXPECT_EQ(readFile(image), before);
}

INSTANTIATE_TEST_SUITE_P(FileSystems, ImageVolumeTest,
                         ::testing::Values(FileSystemKind::Fat32, FileSystemKind::Ntfs),
                         [](const ::testing::TestParamInfo<FileSystemKind>& info) {
                           return info.param == FileSystemKind::Fat32 ? "Fat32" : "Ntfs";
                         });

}  // namespace
}  // namespace vs::test
