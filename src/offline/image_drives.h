// The disk images of a scan as drives. Every partition that holds a file system The Sleuth Kit
// reads becomes a drive (a bare file-system image is one): the first that holds
// \Windows\System32 (or \WINNT\System32) is C:, the others follow from D: in the order of the
// images and of their partitions. Partitions without a file system that can be read are kept
// with the reason, for the report.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offline/report_json.h"
#include "platform/image/image_partitions.h"
#include "platform/volumes/drive_table.h"

namespace vs::offline {

struct ImageDrive {
  char letter;
  PartitionPlace place;
  std::string fileSystem;
  image::ImageVolume* volume;  // owned by the drive table
  bool truncated;              // the image ends before the partition does
};

struct SkippedPartition {
  PartitionPlace place;
  std::string reason;
  // False for a partition of a kind that holds no file system by design, which is no damage.
  bool damage;
};

// The installation's folders on C:, as the volume spells them.
struct ImageInstallation {
  std::string windowsFolder;  // "C:\WINDOWS"
  std::string systemFolder;   // "C:\WINDOWS\system32"
  volumes::VolumePath hive;   // "WINDOWS", "system32", "config", "SOFTWARE" as spelled
};

class ImageDrives {
 public:
  // Opens the images and gives their file systems letters in the drive table. False, with the
  // reason, when an image cannot be opened or holds no file system that can be read.
  bool open(const std::vector<std::string>& paths, volumes::DriveTable& table, std::string& error);

  const std::vector<ImageDrive>& drives() const { return drives_; }
  const std::vector<SkippedPartition>& skipped() const { return skipped_; }
  const std::optional<ImageInstallation>& installation() const { return installation_; }
  // Bytes read from all the images so far.
  std::uint64_t bytesRead() const;

 private:
  std::vector<std::shared_ptr<image::DiskImage>> images_;
  std::vector<ImageDrive> drives_;
  std::vector<SkippedPartition> skipped_;
  std::optional<ImageInstallation> installation_;
};

}  // namespace vs::offline
