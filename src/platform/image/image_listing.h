// A directory of a file system inside a disk image listed as the system's find functions list it:
// "." and ".." first except at a drive's root, then the entries in the file system's order, each
// with its attribute bits and length; the mask's wildcards; no listing at all when nothing matches.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/image/image_directory.h"

namespace vs::image {

class ImageListing : public DirectoryListing {
 public:
  // Null when no entry matches the mask, as FindFirstFileA then fails. keepAlive: what the file
  // system needs to stay open while the listing is. The end of the listing leaves
  // ERROR_NO_MORE_FILES in the error slot, as FindNextFileA does.
  static std::unique_ptr<ImageListing> start(std::shared_ptr<const void> keepAlive, TSK_FS_INFO* fs,
                                             std::shared_ptr<const ImageDirectory> directory,
                                             std::string mask, bool atRoot, std::uint32_t& error);

  bool next(DirectoryEntry& entry) override;

 private:
  ImageListing(std::shared_ptr<const void> keepAlive, TSK_FS_INFO* fs,
               std::shared_ptr<const ImageDirectory> directory, std::string mask, bool atRoot,
               std::uint32_t& error);
  // Reads on to the next entry the mask matches; false at the end.
  bool advance(DirectoryEntry& entry);

  std::shared_ptr<const void> keepAlive_;
  TSK_FS_INFO* fs_;
  std::shared_ptr<const ImageDirectory> directory_;
  std::string mask_;
  int dotsLeft_;
  std::uint32_t& error_;
  std::size_t index_ = 0;
  DirectoryEntry first_{};
  bool firstPending_ = false;
};

}  // namespace vs::image
