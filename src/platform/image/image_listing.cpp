#include "platform/image/image_listing.h"

#include <cstring>

#include "platform/image/entry_facts.h"
#include "platform/image/tsk_handles.h"
#include "platform/volumes/host_names.h"
#include "platform/windows_text.h"

namespace vs::image {
namespace {

void fill(DirectoryEntry& entry, const std::string& name, const EntryFacts& facts) {
  volumes::nameEntry(entry, name, false);
  entry.attributes = facts.attributes;
  entry.size = facts.size;
}

}  // namespace

std::unique_ptr<ImageListing> ImageListing::start(std::shared_ptr<const void> keepAlive,
                                                  TSK_FS_INFO* fs,
                                                  std::shared_ptr<const ImageDirectory> directory,
                                                  std::string mask, bool atRoot,
                                                  std::uint32_t& error) {
  std::unique_ptr<ImageListing> listing(new ImageListing(
      std::move(keepAlive), fs, std::move(directory), std::move(mask), atRoot, error));
  if (!listing->prime()) return nullptr;
  return listing;
}

ImageListing::ImageListing(std::shared_ptr<const void> keepAlive, TSK_FS_INFO* fs,
                           std::shared_ptr<const ImageDirectory> directory, std::string mask,
                           bool atRoot, std::uint32_t& error)
    : PrimedListing(error),
      keepAlive_(std::move(keepAlive)),
      fs_(fs),
      directory_(std::move(directory)),
      mask_(std::move(mask)),
      dotsLeft_(atRoot ? 0 : 2) {}

bool ImageListing::advance(DirectoryEntry& entry) {
  while (dotsLeft_ > 0) {
    const std::string dots = dotsLeft_-- == 2 ? "." : "..";
    if (wildcardMatches(mask_, dots)) {
      fill(entry, dots, factsFromNameOnly(true));
      return true;
    }
  }
  while (index_ < directory_->names.size()) {
    const DirectoryName& name = directory_->names[index_++];
    if (!wildcardMatches(mask_, name.name)) continue;
    FileHandle file(tsk_fs_file_open_meta(fs_, nullptr, name.address));
    // An entry whose metadata cannot be read is still listed, as its directory names it.
    if (!file) tsk_error_reset();
    fill(entry, name.name,
         file ? entryFacts(fs_, file.get(), name.directory) : factsFromNameOnly(name.directory));
    return true;
  }
  return false;
}

}  // namespace vs::image
