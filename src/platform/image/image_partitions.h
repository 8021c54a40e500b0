// The file systems of a disk image: the image itself when a file system starts at its first byte
// (a bare file-system image), otherwise every allocated partition of its partition table (MBR,
// GPT and the others The Sleuth Kit reads), in the table's order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/image/disk_image.h"
#include "platform/image/image_volume.h"

namespace vs::image {

struct ImagePartition {
  int number = 0;            // 1, 2... in the table's order; 0 when the image is one file system
  std::uint64_t offset = 0;  // bytes from the image's start
  std::string type;          // the table's name for the partition ("NTFS / exFAT (0x07)")
  std::unique_ptr<ImageVolume> volume;  // the file system found there, or null
  std::string skipReason;               // why there is none
  // The partition, or the file system, ends past the end of the image: the image was cut short
  // and what lies beyond cannot be read.
  bool truncated = false;
  // A partition of a kind that never holds a file system (Microsoft's reserved partition, swap):
  // having none is no damage.
  bool holdsNoFileSystem = false;
};

// False, with the reason, when the image holds neither a file system nor a partition table.
bool openPartitions(const std::shared_ptr<DiskImage>& image, std::vector<ImagePartition>& out,
                    std::string& error);

}  // namespace vs::image
