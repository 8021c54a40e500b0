// A directory of a mounted volume listed as the system's find functions would list it.
#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <functional>
#include <string>

#include "platform/platform.h"

namespace vs::linux_host {

class VolumeListing : public DirectoryListing {
 public:
  // Files (device and inode) that the listing leaves out.
  using Hidden = std::function<bool(dev_t device, ino_t inode)>;

  // Takes over an open directory. The mask "*.*" (or "*") lists every entry; any other mask is
  // one name, found ignoring letter case. The root of a drive has no "." and ".." entries.
  VolumeListing(DIR* directory, std::string mask, bool atRoot, Hidden hidden);
  ~VolumeListing() override;
  VolumeListing(const VolumeListing&) = delete;
  VolumeListing& operator=(const VolumeListing&) = delete;

  bool next(DirectoryEntry& entry) override;

 private:
  bool wanted(const char* name) const;

  DIR* directory_;
  std::string mask_;
  bool everyName_;
  bool atRoot_;
  Hidden hidden_;
};

}  // namespace vs::linux_host
