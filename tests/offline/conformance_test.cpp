// The conformance rows on the offline scan's platform over a mounted folder and over an NTFS disk
// image, with the registry from a SOFTWARE hive: it must answer as Windows does, and say where it
// cannot.
#include "conformance/conformance.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <set>

#include "conformance/host_folder.h"
#include "images/image_builder.h"
#include "offline/hive_files.h"
#include "platform/linux/linux_platform.h"
#include "platform/volumes/mounted_volume.h"

namespace vs::conformance {
namespace {

constexpr const char* kHiveRoot = "SOFTWARE";

class MountedWorld : public World {
 public:
  explicit MountedWorld(const std::string& row)
      : row_(row), volume_(scratch_.path() + "/volume"), rowFolder_(volume_ + "/" + row) {
    makeInHostFolder(volume_, directory(row));
    os_.drives().add('C', volumes::MountedVolume::open(volume_));
  }

  Backend backend() const override { return Backend::MountedVolume; }
  std::string folder() const override { return "C:\\" + row_; }
  std::string registryKey() const override {
    return std::string(kHiveRoot) + "\\VsConformance\\" + row_;
  }
  void make(const Item& item) override { makeInHostFolder(rowFolder_, item); }
  void make(const RegistryItem& item) override {
    const std::string key = "VsConformance\\" + row_;
    values_.push_back({item.key.empty() ? key : key + "\\" + item.key, item.name, item.text});
  }
  // The hive holds what the row put in the registry; it lies beside the volume, as a mounted
  // installation's hive is a file of its own.
  void ready() override {
    if (values_.empty()) return;
    const std::string path = scratch_.path() + "/SOFTWARE";
    ASSERT_TRUE(test::writeHive(path, values_));
    std::string error;
    hive_ = linux_host::SoftwareHive::open(
        path, [](const std::string&) {}, error);
    ASSERT_NE(hive_, nullptr) << error;
    os_.setSoftwareHive(hive_.get());
  }
  Platform& platform() override { return os_; }
  void vanish(const std::string& path) override { removeFromHostFolder(rowFolder_, path); }

 private:
  std::string row_;
  HostScratch scratch_;
  std::string volume_;
  std::string rowFolder_;
  std::vector<test::HiveValue> values_;
  std::unique_ptr<linux_host::SoftwareHive> hive_;
  volatile std::sig_atomic_t interrupt_ = 0;
  linux_host::LinuxPlatform os_{[](std::uint32_t) {}, &interrupt_};
};

// The row's state in an NTFS file system image, the drive read from it as vantoscan reads disk
// images; its hive is read as an image's is, never to be changed.
class ImageWorld : public World {
 public:
  explicit ImageWorld(const std::string& row) : row_(row) {
    items_.push_back(test::imageDirectory(row));
  }

  Backend backend() const override { return Backend::DiskImage; }
  std::string folder() const override { return "C:\\" + row_; }
  std::string registryKey() const override {
    return std::string(kHiveRoot) + "\\VsConformance\\" + row_;
  }
  void make(const Item& item) override {
    const std::string path = row_ + "\\" + item.path;
    // The image is made from its entries in order: the folders on the way come first.
    for (std::size_t slash = path.find('\\', row_.size() + 1); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
      if (folders_.insert(path.substr(0, slash)).second) {
        items_.push_back(test::imageDirectory(path.substr(0, slash)));
      }
    }
    switch (item.kind) {
      case Item::Kind::Directory:
        if (folders_.insert(path).second) items_.push_back(test::imageDirectory(path));
        return;
      case Item::Kind::File:
        if (item.sparseLength > 0) {
          items_.push_back({test::ImageItem::Kind::SparseFile, path, {}, 0, {}, item.sparseLength});
        } else {
          items_.push_back(test::imageFile(path, item.bytes, item.attributes));
        }
        return;
      case Item::Kind::FileLink:
        items_.push_back({test::ImageItem::Kind::FileLink, path, {}, 0, item.target, 0});
        return;
      case Item::Kind::DirectoryLink:
        items_.push_back({test::ImageItem::Kind::DirectoryLink, path, {}, 0, item.target, 0});
        return;
    }
  }
  void make(const RegistryItem& item) override {
    const std::string key = "VsConformance\\" + row_;
    values_.push_back({item.key.empty() ? key : key + "\\" + item.key, item.name, item.text});
  }
  void ready() override {
    const std::string image = scratch_.path() + "/disk.img";
    std::string error;
    ASSERT_TRUE(test::buildFileSystemImage(image, test::FileSystemKind::Ntfs, items_, error))
        << error;
    auto volume = test::openImageVolume(image, error);
    ASSERT_NE(volume, nullptr) << error;
    os_.drives().add('C', std::move(volume));
    if (values_.empty()) return;
    const std::string path = scratch_.path() + "/SOFTWARE";
    ASSERT_TRUE(test::writeHive(path, values_));
    hive_ = linux_host::SoftwareHive::openForReading(
        path, [](const std::string&) {}, error);
    ASSERT_NE(hive_, nullptr) << error;
    os_.setSoftwareHive(hive_.get());
  }
  Platform& platform() override { return os_; }
  void vanish(const std::string&) override { ADD_FAILURE() << "an image does not change"; }

 private:
  std::string row_;
  HostScratch scratch_;
  std::vector<test::ImageItem> items_;
  std::set<std::string> folders_;
  std::vector<test::HiveValue> values_;
  std::unique_ptr<linux_host::SoftwareHive> hive_;
  volatile std::sig_atomic_t interrupt_ = 0;
  linux_host::LinuxPlatform os_{[](std::uint32_t) {}, &interrupt_};
};

class MountedVolumes : public ::testing::TestWithParam<Row> {};
TEST_P(MountedVolumes, AnswerAsWindows) {
  MountedWorld world(GetParam().name);
  std::string notRun;
  if (!runRow(world, GetParam(), notRun)) GTEST_SKIP() << notRun;
}
INSTANTIATE_TEST_SUITE_P(Rows, MountedVolumes, ::testing::ValuesIn(allRows()), RowName());

class DiskImages : public ::testing::TestWithParam<Row> {};
TEST_P(DiskImages, AnswerAsWindows) {
  ImageWorld world(GetParam().name);
  std::string notRun;
  if (!runRow(world, GetParam(), notRun)) GTEST_SKIP() << notRun;
}
INSTANTIATE_TEST_SUITE_P(Rows, DiskImages, ::testing::ValuesIn(allRows()), RowName());

}  // namespace
}  // namespace vs::conformance
