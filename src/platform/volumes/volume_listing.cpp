#include "platform/volumes/volume_listing.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/volumes/host_names.h"
#include "platform/windows_text.h"

namespace vs::volumes {
namespace {

// The attributes and the length under which a listing reports a name of an open directory, as
// Windows reports them: a symbolic link is a reparse point of length 0, a directory one when it
// leads to a directory, which keeps the walk out of links that loop or leave the volume; a file
// nobody may write is read-only.
void describeEntry(const struct stat& info, int directory, const char* name,
                   std::uint32_t& attributes, std::uint64_t& size) {
  size = 0;
  if (S_ISLNK(info.st_mode)) {
    // Only the kind of the target is looked at, wherever it lies; nothing is opened through it.
    struct stat target;
    const bool toDirectory = fstatat(directory, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    attributes = kAttrReparsePoint | (toDirectory ? kAttrDirectory : kAttrArchive);
    return;
  }
  if (S_ISDIR(info.st_mode)) {
    attributes = kAttrDirectory;
  } else {
    attributes = kAttrArchive;
    size = static_cast<std::uint64_t>(info.st_size);
  }
  if (!(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) attributes |= kAttrReadOnly;
}

}  // namespace

std::unique_ptr<VolumeListing> VolumeListing::start(DIR* directory, std::string mask, bool atRoot,
                                                    HiddenFiles hidden, std::uint32_t& error) {
  std::unique_ptr<VolumeListing> listing(
      new VolumeListing(directory, std::move(mask), atRoot, std::move(hidden), error));
  if (!listing->prime()) return nullptr;
  return listing;
}

VolumeListing::VolumeListing(DIR* directory, std::string mask, bool atRoot, HiddenFiles hidden,
                             std::uint32_t& error)
    : PrimedListing(error),
      directory_(directory),
      mask_(std::move(mask)),
      atRoot_(atRoot),
      hidden_(std::move(hidden)) {}

VolumeListing::~VolumeListing() {
  closedir(directory_);
}

bool VolumeListing::wanted(const char* name) const {
  const bool dotEntry = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
  if (dotEntry && atRoot_) return false;
  // A name with a backslash in it cannot be addressed by a Windows path.
  if (std::strchr(name, '\\')) return false;
  return wildcardMatches(mask_, name);
}

bool VolumeListing::advance(DirectoryEntry& entry) {
  while (const dirent* item = readdir(directory_)) {
    struct stat info;
    if (!wanted(item->d_name) ||
        fstatat(dirfd(directory_), item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        (hidden_ && hidden_(info.st_dev, info.st_ino))) {
      continue;
    }
    describeEntry(info, dirfd(directory_), item->d_name, entry.attributes, entry.size);
    nameEntry(entry, item->d_name, false);
    return true;
  }
  return false;
}

}  // namespace vs::volumes
