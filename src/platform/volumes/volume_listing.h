// A directory of a mounted volume listed as the system's find functions list it: the mask's
// wildcards, no "." and ".." at a drive's root, links as reparse points, and no listing at all
// when nothing matches.
#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/primed_listing.h"

namespace vs::volumes {

// Files (device and inode) that a listing leaves out.
using HiddenFiles = std::function<bool(dev_t device, ino_t inode)>;

class VolumeListing : public PrimedListing {
 public:
  // Takes over an open directory and reads up to its first entry that the mask matches; null
  // (the directory closed) when there is none, as FindFirstFileA then fails. The end of the
  // listing leaves ERROR_NO_MORE_FILES in the error slot, as FindNextFileA does.
  static std::unique_ptr<VolumeListing> start(DIR* directory, std::string mask, bool atRoot,
                                              HiddenFiles hidden, std::uint32_t& error);
  ~VolumeListing() override;
  VolumeListing(const VolumeListing&) = delete;
  VolumeListing& operator=(const VolumeListing&) = delete;

 protected:
  bool advance(DirectoryEntry& entry) override;

 private:
  VolumeListing(DIR* directory, std::string mask, bool atRoot, HiddenFiles hidden,
                std::uint32_t& error);
  bool wanted(const char* name) const;

  DIR* directory_;
  std::string mask_;
  bool atRoot_;
  HiddenFiles hidden_;
};

}  // namespace vs::volumes
