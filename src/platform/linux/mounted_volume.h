// A Windows volume mounted on this host, seen as one drive. Every path is opened relative to the
// volume's root and may not leave it: ".." and symbolic links that point outside the volume (or
// loop) are refused by the kernel (openat2 with RESOLVE_BENEATH). A name whose exact letter case
// does not exist is looked up ignoring case, as Windows would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/unique_fd.h"

namespace vs::linux_host {

class MountedVolume {
 public:
  // Opens the mount folder; null with errno set when it cannot be opened as a directory.
  static std::unique_ptr<MountedVolume> open(const std::string& hostFolder);

  const std::string& hostFolder() const { return hostFolder_; }

  // Opens a path below the root (open(2) flags). A missing name is looked up ignoring case; on
  // success the components hold the names as the volume spells them. Returns an invalid
  // descriptor with errno set on failure.
  UniqueFd openPath(std::vector<std::string>& components, int flags) const;

  // As openPath, but fails (ELOOP) when any component is a symbolic link: for the files this
  // program rewrites, which must be exactly the file the host path names.
  UniqueFd openWithoutLinks(std::vector<std::string>& components, int flags) const;

  // Opens the directory holding the last component and spells that component as the volume
  // does; for operations on a name itself (unlink, chmod, lstat) rather than what it points to.
  UniqueFd openParent(std::vector<std::string>& components) const;

  // Whether the volume is mounted read-only.
  bool readOnly() const;

 private:
  MountedVolume(std::string hostFolder, UniqueFd root)
      : hostFolder_(std::move(hostFolder)), root_(std::move(root)) {}
  UniqueFd openBeneath(const std::string& relative, int flags, bool allowLinks) const;
  bool spellIgnoringCase(std::vector<std::string>& components, std::size_t count) const;

  std::string hostFolder_;
  UniqueFd root_;
};

}  // namespace vs::linux_host
