#include "offline/image_drives.h"

#include <algorithm>

#include "platform/windows_text.h"

namespace vs::offline {
namespace {

// A directory of a volume's folder whose name equals one of the names ignoring case, spelled as
// the volume spells it.
std::optional<std::string> findFolder(volumes::Volume& volume, const volumes::VolumePath& folder,
                                      const char* name) {
  std::uint32_t error = 0;
  std::unique_ptr<DirectoryListing> listing = volume.list(folder, name, error);
  DirectoryEntry entry;
  while (listing && listing->next(entry)) {
    if ((entry.attributes & kAttrDirectory) && equalsIgnoringCase(entry.name, name)) {
      return std::string(entry.name);
    }
  }
  return std::nullopt;
}

// The folders of a Windows installation on a volume: "Windows" (or, on older systems, "WINNT")
// with "System32" in it.
std::optional<ImageInstallation> findInstallation(volumes::Volume& volume) {
  for (const char* windows : {"Windows", "WINNT"}) {
    const std::optional<std::string> folder = findFolder(volume, {}, windows);
    if (!folder) continue;
    const std::optional<std::string> system = findFolder(volume, {*folder}, "System32");
    if (!system) continue;
    ImageInstallation found;
    found.windowsFolder = "C:\\" + *folder;
    found.systemFolder = found.windowsFolder + "\\" + *system;
    found.hive = {*folder, *system, "config", "SOFTWARE"};
    return found;
  }
  return std::nullopt;
}

}  // namespace

bool ImageDrives::open(const std::vector<std::string>& paths, volumes::DriveTable& table,
                       std::string& error) {
  struct Found {
    PartitionPlace place;
    std::unique_ptr<image::ImageVolume> volume;
    bool truncated;
  };
  std::vector<Found> found;
  for (const std::string& path : paths) {
    std::shared_ptr<image::DiskImage> disk = image::DiskImage::open(path, error);
    if (!disk) return false;
    std::vector<image::ImagePartition> partitions;
    if (!image::openPartitions(disk, partitions, error)) return false;
    images_.push_back(disk);
    for (image::ImagePartition& partition : partitions) {
      const PartitionPlace place{path, partition.number, partition.offset, partition.type};
      if (partition.volume) {
        found.push_back({place, std::move(partition.volume), partition.truncated});
      } else {
        skipped_.push_back({place, partition.skipReason, !partition.holdsNoFileSystem});
      }
    }
  }
  if (found.empty()) {
    error = "no partition of the image holds a file system that can be read";
    return false;
  }

  // The installation's partition is C:; the others keep their order.
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (std::optional<ImageInstallation> installation = findInstallation(*found[i].volume)) {
      installation_ = std::move(installation);
      std::rotate(found.begin(), found.begin() + static_cast<long>(i),
                  found.begin() + static_cast<long>(i) + 1);
      break;
    }
  }
  char letter = 'C';
  for (Found& each : found) {
    if (letter > 'Z') {
      skipped_.push_back({each.place, "no drive letter is left for it", true});
      continue;
    }
    drives_.push_back(
        {letter, each.place, each.volume->fileSystemName(), each.volume.get(), each.truncated});
    table.add(letter++, std::move(each.volume));
  }
  return true;
}

std::uint64_t ImageDrives::bytesRead() const {
  std::uint64_t total = 0;
  for (const auto& disk : images_) total += disk->bytesRead();
  return total;
}

}  // namespace vs::offline
