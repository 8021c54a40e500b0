// The mounted volumes, one per drive letter, and the mapping of Windows paths onto them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/mounted_volume.h"

namespace vs::linux_host {

class MountedDrives {
 public:
  // Adds a volume as a drive; false when the letter is not one of C to Z or is taken already.
  bool add(char letter, std::unique_ptr<MountedVolume> volume);
  MountedVolume* volume(char letter) const;
  // The volume that holds a Windows path, and the path's components below the volume's root;
  // null (errno ENOENT) when the path is malformed or names no mounted drive.
  MountedVolume* locate(const char* path, std::vector<std::string>& components) const;
  // The drive letters in order, C first.
  std::vector<char> letters() const;

 private:
  std::map<char, std::unique_ptr<MountedVolume>> volumes_;
};

}  // namespace vs::linux_host
