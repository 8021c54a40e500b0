// What the report tells of a finding beyond the Windows tool's line: the SHA-256 of every infected
// file, taken before the scan may delete it, and for a finding inside a disk image where to find
// it again with the usual forensic tools: the image, the partition's offset and the metadata
// address (inode) of the file, or of the hive for a registry finding, with the value's key and
// name.
#pragma once

#include <map>
#include <string>

#include "offline/report_json.h"
#include "platform/image/image_volume.h"
#include "platform/platform.h"

namespace vs::offline {

class FindingLocator {
 public:
  explicit FindingLocator(Platform& os) : os_(os) {}

  // A drive that is a file system inside a disk image.
  void addImageDrive(char letter, image::ImageVolume& volume) { imageDrives_[letter] = &volume; }
  // The installation's SOFTWARE hive, by its Windows path.
  void setHive(const std::string& windowsPath) { hive_ = windowsPath; }

  // The scan is about to delete a file: its digest is taken while the file still exists.
  void beforeDeletion(const char* path);
  // The registry value the next registry line is about.
  void registryValue(const std::string& key, const std::string& value);

  FindingDetails fileDetails(const std::string& windowsPath);
  FindingDetails registryDetails() const;
  // Where an entry of an image drive lies; no image for any other path.
  FindingDetails placeOf(const std::string& windowsPath) const;

 private:
  // The file's SHA-256, read through the platform; empty when it cannot be read.
  std::string digest(const std::string& windowsPath);

  Platform& os_;
  std::map<char, image::ImageVolume*> imageDrives_;
  std::map<std::string, std::string> digestsBeforeDeletion_;
  std::string hive_;
  std::string key_;
  std::string value_;
};

}  // namespace vs::offline
