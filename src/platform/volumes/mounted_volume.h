// A Windows volume mounted on this host, seen as one drive. Every path is opened relative to the
// volume's root and may not leave it: ".." and symbolic links that point outside the volume (or
// loop) are refused by the kernel (openat2 with RESOLVE_BENEATH). A name whose exact letter case
// does not exist is looked up ignoring case, as Windows would.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/volumes/unique_fd.h"
#include "platform/volumes/volume.h"
#include "platform/volumes/volume_listing.h"

namespace vs::volumes {

class MountedVolume : public Volume {
 public:
  // Opens the mount folder; null with errno set when it cannot be opened as a directory.
  static std::unique_ptr<MountedVolume> open(const std::string& hostFolder);

  const std::string& hostFolder() const { return hostFolder_; }
  // Leaves files out of every later listing: files of this program's own, which are no part of
  // the system being scanned.
  void hide(HiddenFiles hidden) { hidden_ = std::move(hidden); }

  std::unique_ptr<DirectoryListing> list(const VolumePath& folder, const std::string& mask,
                                         std::uint32_t& error) override;
  std::unique_ptr<ReadableFile> openForReading(const VolumePath& path,
                                               std::uint32_t& error) override;
  bool exists(const VolumePath& path, std::uint32_t& error) override;
  bool setAttributes(const VolumePath& path, std::uint32_t attributes,
                     std::uint32_t& error) override;
  bool remove(const VolumePath& path, std::uint32_t& error) override;

  // Opens a path below the root (open(2) flags). A missing name is looked up ignoring case; on
  // success the components hold the names as the volume spells them. Returns an invalid
  // descriptor with errno set on failure.
  UniqueFd openPath(VolumePath& components, int flags) const;

  // As openPath, but fails (ELOOP) when any component is a symbolic link: for the files this
  // program rewrites, which must be exactly the file the host path names.
  UniqueFd openWithoutLinks(VolumePath& components, int flags) const;

  // Opens the directory holding the last component and spells that component as the volume
  // does; for operations on a name itself (unlink, chmod, lstat) rather than what it points to.
  UniqueFd openParent(VolumePath& components) const;

  // Whether the volume is mounted read-only.
  bool readOnly() const;

 private:
  MountedVolume(std::string hostFolder, UniqueFd root)
      : hostFolder_(std::move(hostFolder)), root_(std::move(root)) {}
  UniqueFd openBeneath(const std::string& relative, int flags, bool allowLinks) const;
  bool spellIgnoringCase(VolumePath& components, std::size_t count) const;
  // Opens the folder of a name and takes the name's own status (links not followed); the
  // components are spelled as the volume spells them. Invalid, the error set, on failure.
  UniqueFd openName(VolumePath& spelled, struct stat& info, std::uint32_t& error) const;
  // The Win32 code for the errno of a call that failed on path.
  std::uint32_t errorFor(int error, const VolumePath& path) const;

  std::string hostFolder_;
  UniqueFd root_;
  HiddenFiles hidden_;
};

}  // namespace vs::volumes
