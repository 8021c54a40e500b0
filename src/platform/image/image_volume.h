// A file system inside a disk image, seen as one drive: listed as Windows lists it (see
// image_directory.h and image_listing.h), names found ignoring case, files read through The
// Sleuth Kit, never written. A damaged file system cannot make the walk loop: a directory whose
// contents were already listed under another path (a directory entry that points at itself or at
// a parent) is not listed again, and each such place is told once, as is a directory that cannot
// be read.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/image/disk_image.h"
#include "platform/image/image_directory.h"
#include "platform/volumes/volume.h"

namespace vs::image {

class ImageVolume : public volumes::Volume {
 public:
  // Damage met in the file system: the path of the directory below the drive's root, its
  // metadata address and what is wrong.
  using DamageNotice = std::function<void(const volumes::VolumePath& path, std::uint64_t address,
                                          const std::string& what)>;

  // The file system that starts at a byte offset of the image; null, with the reason, when The
  // Sleuth Kit finds none it can read there or cannot read its root folder.
  static std::unique_ptr<ImageVolume> open(std::shared_ptr<DiskImage> image, std::uint64_t offset,
                                           std::string& reason);

  // The file system's kind as the library names it ("ntfs", "fat32"...).
  std::string fileSystemName() const;
  std::uint64_t offset() const { return offset_; }
  // The file system's length in bytes, as it states it.
  std::uint64_t length() const;
  const DiskImage& image() const { return *core_->image; }
  void onDamage(DamageNotice notice) { damage_ = std::move(notice); }

  // The metadata address (inode, MFT entry) of an entry, when it exists.
  std::optional<std::uint64_t> metadataAddress(const volumes::VolumePath& path);

  std::unique_ptr<DirectoryListing> list(const volumes::VolumePath& folder, const std::string& mask,
                                         std::uint32_t& error) override;
  std::unique_ptr<ReadableFile> openForReading(const volumes::VolumePath& path,
                                               std::uint32_t& error) override;
  bool exists(const volumes::VolumePath& path, std::uint32_t& error) override;
  // The image is evidence: nothing on it is changed (ERROR_WRITE_PROTECT).
  bool setAttributes(const volumes::VolumePath& path, std::uint32_t attributes,
                     std::uint32_t& error) override;
  bool remove(const volumes::VolumePath& path, std::uint32_t& error) override;

 private:
  struct Core {
    std::shared_ptr<DiskImage> image;
    FileSystemHandle fs;
  };
  // One folder of the path last looked up: the name asked for and the directory found.
  struct Level {
    std::string asked;
    std::shared_ptr<const ImageDirectory> directory;
  };

  ImageVolume(std::shared_ptr<Core> core, std::uint64_t offset,
              std::shared_ptr<const ImageDirectory> root);
  TSK_FS_INFO* fs() const { return core_->fs.get(); }
  // The directory a folder path names, with the Win32 code when there is none.
  std::shared_ptr<const ImageDirectory> folder(const volumes::VolumePath& path,
                                               std::uint32_t& error);
  // The entry a path names (its folder looked up first; the root for an empty path); none, with
  // the Win32 code, when it is missing.
  std::optional<DirectoryName> entry(const volumes::VolumePath& path, std::uint32_t& error);
  void tellDamage(const volumes::VolumePath& path, std::uint64_t address, const std::string& what);

  std::shared_ptr<Core> core_;
  std::uint64_t offset_;
  std::vector<Level> levels_;  // levels_[0] is the root
  // Directory contents listed so far, each with (a hash of) the path it was listed under.
  std::unordered_map<std::uint64_t, std::size_t> listedUnder_;
  std::unordered_set<std::uint64_t> damageTold_;
  DamageNotice damage_;
};

}  // namespace vs::image
