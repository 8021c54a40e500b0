// A directory of a file system inside a disk image listed as the system's find functions list it:
// "." and ".." first except at a drive's root, then the entries in the file system's order, each
// with its attribute bits and length; the mask's wildcards; no listing at all when nothing matches.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/image/image_directory.h"
#include "platform/primed_listing.h"

namespace vs::image {

class ImageListing : public PrimedListing {
 public:
  // Null when no entry matches the mask, as FindFirstFileA then fails. keepAlive: what the file
  // system needs to stay open while the listing is. The end of the listing leaves
  // ERROR_NO_MORE_FILES in the error slot, as FindNextFileA does.
  static std::unique_ptr<ImageListing> start(std::shared_ptr<const void> keepAlive, TSK_FS_INFO* fs,
                                             std::shared_ptr<const ImageDirectory> directory,
                                             std::string mask, bool atRoot, std::uint32_t& error);

 protected:
  // Reads on to the next entry the mask matches; false at the end.
  bool advance(DirectoryEntry& entry) override;

 private:
  ImageListing(std::shared_ptr<const void> keepAlive, TSK_FS_INFO* fs,
               std::shared_ptr<const ImageDirectory> directory, std::string mask, bool atRoot,
               std::uint32_t& error);
  std::shared_ptr<const void> keepAlive_;
  TSK_FS_INFO* fs_;
  std::shared_ptr<const ImageDirectory> directory_;
  std::string mask_;
  int dotsLeft_;
  std::size_t index_ = 0;
};

}  // namespace vs::image
