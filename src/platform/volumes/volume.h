// One volume of a Windows installation seen from this host as a drive: a folder the host mounted,
// or a file system inside a disk image. Entries are named by their components below the drive's
// root, already checked and split (see windows_path.h). Each call answers as the system's ANSI
// call does: a failure leaves its Win32 error code in the error slot. Listings and files keep the
// slot for their own later failures, so it must outlive them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vs::volumes {

// The names from the drive's root down to an entry; empty for the root itself.
using VolumePath = std::vector<std::string>;

class Volume {
 public:
  virtual ~Volume() = default;

  // FindFirstFileA on folder\mask: null when the folder is missing (ERROR_PATH_NOT_FOUND), cannot
  // be listed, or holds no entry the mask matches (ERROR_FILE_NOT_FOUND).
  virtual std::unique_ptr<DirectoryListing> list(const VolumePath& folder, const std::string& mask,
                                                 std::uint32_t& error) = 0;
  // A file opened for reading; null when it is missing, a directory or cannot be read.
  virtual std::unique_ptr<ReadableFile> openForReading(const VolumePath& path,
                                                       std::uint32_t& error) = 0;
  // Whether the entry exists, file or directory (GetFileAttributesA succeeds).
  virtual bool exists(const VolumePath& path, std::uint32_t& error) = 0;
  // SetFileAttributesA and DeleteFileA.
  virtual bool setAttributes(const VolumePath& path, std::uint32_t attributes,
                             std::uint32_t& error) = 0;
  virtual bool remove(const VolumePath& path, std::uint32_t& error) = 0;
};

}  // namespace vs::volumes
