#include "platform/volumes/mounted_volume.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/error_codes.h"
#include "platform/volumes/windows_path.h"
#include "platform/windows_text.h"

namespace vs::volumes {
namespace {

// Finds an entry of an open directory whose name equals name ignoring case; on success name
// takes the entry's spelling. The first such entry in listing order wins: a case-sensitive file
// system may hold several that Windows would take for one.
bool findIgnoringCase(int directory, std::string& name) {
  const int copy = dup(directory);
  if (copy < 0) return false;
  DIR* dir = fdopendir(copy);
  if (!dir) {
    close(copy);
    return false;
  }
  bool found = false;
  while (dirent* entry = readdir(dir)) {
    if (equalsIgnoringCase(entry->d_name, name)) {
      name = entry->d_name;
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

// Whether an open directory holds a name spelled exactly so (links not followed).
bool hasExactName(int directory, const std::string& name) {
  struct stat info;
  return fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// A regular file of the volume, read through its descriptor. Calls interrupted by a signal are
// made again.
class VolumeFile : public ReadableFile {
 public:
  VolumeFile(UniqueFd fd, std::uint32_t& error) : fd_(std::move(fd)), error_(error) {}
  std::int64_t length() override {
    struct stat info;
    if (fstat(fd_.get(), &info) == 0) return static_cast<std::int64_t>(info.st_size);
    error_ = kErrorAccessDenied;
    return -1;
  }
  bool seek(std::int64_t offset) override {
    if (offset < 0) {
      error_ = kErrorNegativeSeek;
      return false;
    }
    if (lseek(fd_.get(), offset, SEEK_SET) >= 0) return true;
    error_ = kErrorAccessDenied;
    return false;
  }
  std::int32_t read(void* buffer, std::uint32_t count) override {
    // The result must fit the signed count; larger requests are served in part, as a short read.
    const std::size_t wanted = count > 0x7FFFFFFFu ? 0x7FFFFFFFu : count;
    ssize_t got;
    do {
      got = ::read(fd_.get(), buffer, wanted);
    } while (got < 0 && errno == EINTR);
    if (got < 0) error_ = kErrorAccessDenied;
    return static_cast<std::int32_t>(got);
  }

 private:
  UniqueFd fd_;
  std::uint32_t& error_;
};

}  // namespace

std::unique_ptr<MountedVolume> MountedVolume::open(const std::string& hostFolder) {
  UniqueFd root(::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!root) return nullptr;
  std::unique_ptr<MountedVolume> volume(new MountedVolume(hostFolder, std::move(root)));
  // Every path goes through openat2 (Linux 5.6 and later); without it nothing could be opened.
  if (!volume->openBeneath(".", O_PATH, true)) return nullptr;
  return volume;
}

UniqueFd MountedVolume::openBeneath(const std::string& relative, int flags, bool allowLinks) const {
  open_how how{};
  how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS | (allowLinks ? 0 : RESOLVE_NO_SYMLINKS);
  return UniqueFd(
      static_cast<int>(syscall(SYS_openat2, root_.get(), relative.c_str(), &how, sizeof how)));
}

bool MountedVolume::spellIgnoringCase(VolumePath& components, std::size_t count) const {
  std::vector<std::string> prefix;
  for (std::size_t i = 0; i < count; ++i) {
    UniqueFd directory = openBeneath(relativeHostPath(prefix), O_RDONLY | O_DIRECTORY, true);
    if (!directory) return false;
    if (!hasExactName(directory.get(), components[i]) &&
        !findIgnoringCase(directory.get(), components[i])) {
      errno = ENOENT;
      return false;
    }
    prefix.push_back(components[i]);
  }
  return true;
}

UniqueFd MountedVolume::openPath(VolumePath& components, int flags) const {
  // Paths that come from a listing exist as spelled: one call.
  UniqueFd fd = openBeneath(relativeHostPath(components), flags, true);
  if (fd || errno != ENOENT) return fd;
  if (!spellIgnoringCase(components, components.size())) return UniqueFd();
  return openBeneath(relativeHostPath(components), flags, true);
}

UniqueFd MountedVolume::openWithoutLinks(VolumePath& components, int flags) const {
  if (!spellIgnoringCase(components, components.size())) return UniqueFd();
  return openBeneath(relativeHostPath(components), flags, false);
}

UniqueFd MountedVolume::openParent(VolumePath& components) const {
  if (components.empty()) {
    errno = EINVAL;  // the root is no name in a folder
    return UniqueFd();
  }
  std::vector<std::string> parent(components.begin(), components.end() - 1);
  UniqueFd directory = openPath(parent, O_RDONLY | O_DIRECTORY);
  if (!directory) return directory;
  std::string& leaf = components.back();
  if (!hasExactName(directory.get(), leaf) && !findIgnoringCase(directory.get(), leaf)) {
    errno = ENOENT;
    return UniqueFd();
  }
  std::copy(parent.begin(), parent.end(), components.begin());
  return directory;
}

std::uint32_t MountedVolume::errorFor(int error, const VolumePath& path) const {
  switch (error) {
    case ENOENT: {
      // The system tells a missing name from a missing folder on the way to it.
      if (path.empty()) return kErrorPathNotFound;
      VolumePath parent(path.begin(), path.end() - 1);
      return openPath(parent, O_PATH | O_DIRECTORY) ? kErrorFileNotFound : kErrorPathNotFound;
    }
    case ENOTDIR:
      return kErrorPathNotFound;
    case EBUSY:
    case ETXTBSY:
      return kErrorSharingViolation;
    case ENOSPC:
      return kErrorDiskFull;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    default:  // EACCES, EPERM, EROFS, and links refused (EXDEV, ELOOP)
      return kErrorAccessDenied;
  }
}

std::unique_ptr<DirectoryListing> MountedVolume::list(const VolumePath& folder,
                                                      const std::string& mask,
                                                      std::uint32_t& error) {
  VolumePath spelled = folder;
  UniqueFd directory = openPath(spelled, O_RDONLY | O_DIRECTORY);
  if (!directory) {
    error = errno == ENOENT ? kErrorPathNotFound : errorFor(errno, folder);
    return nullptr;
  }
  DIR* opened = fdopendir(directory.get());
  if (!opened) {
    error = errorFor(errno, folder);
    return nullptr;
  }
  directory.release();
  std::unique_ptr<DirectoryListing> listing =
      VolumeListing::start(opened, mask, folder.empty(), hidden_, error);
  if (!listing) error = kErrorFileNotFound;
  return listing;
}

std::unique_ptr<ReadableFile> MountedVolume::openForReading(const VolumePath& path,
                                                            std::uint32_t& error) {
  VolumePath spelled = path;
  // Non-blocking, so that a pipe or a device on the volume cannot hold the scan; only regular
  // files are read.
  UniqueFd fd = openPath(spelled, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (!fd) {
    error = errorFor(errno, path);
    return nullptr;
  }
  struct stat info;
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    error = kErrorAccessDenied;
    return nullptr;
  }
  return std::make_unique<VolumeFile>(std::move(fd), error);
}

bool MountedVolume::exists(const VolumePath& path, std::uint32_t& error) {
  VolumePath spelled = path;
  if (openPath(spelled, O_PATH)) return true;
  error = errorFor(errno, path);
  return false;
}

UniqueFd MountedVolume::openName(VolumePath& spelled, struct stat& info,
                                 std::uint32_t& error) const {
  const VolumePath asked = spelled;
  UniqueFd directory = openParent(spelled);
  if (directory &&
      fstatat(directory.get(), spelled.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
    return directory;
  }
  error = errorFor(errno, asked);
  return UniqueFd();
}

bool MountedVolume::setAttributes(const VolumePath& path, std::uint32_t attributes,
                                  std::uint32_t& error) {
  VolumePath spelled = path;
  struct stat info;
  UniqueFd directory = openName(spelled, info, error);
  if (!directory) return false;
  // A link has no attributes of its own here; its target is not touched.
  if (S_ISLNK(info.st_mode)) return true;
  const mode_t mode = info.st_mode & 07777;
  const mode_t wanted = (attributes & kAttrReadOnly) ? (mode & ~kWriteBits) : (mode | S_IWUSR);
  if (wanted == mode || fchmodat(directory.get(), spelled.back().c_str(), wanted, 0) == 0) {
    return true;
  }
  error = errorFor(errno, path);
  return false;
}

bool MountedVolume::remove(const VolumePath& path, std::uint32_t& error) {
  VolumePath spelled = path;
  struct stat info;
  UniqueFd directory = openName(spelled, info, error);
  if (!directory) return false;
  // The system deletes no read-only file: its attribute must be reset first. The host would
  // unlink it all the same, since there the folder's rights decide.
  if (S_ISREG(info.st_mode) && !(info.st_mode & kWriteBits)) {
    error = kErrorAccessDenied;
    return false;
  }
  // unlinkat without AT_REMOVEDIR refuses a directory; a link goes, its target stays.
  if (unlinkat(directory.get(), spelled.back().c_str(), 0) == 0) return true;
  error = errorFor(errno, path);
  return false;
}

bool MountedVolume::readOnly() const {
  struct statvfs info;
  return fstatvfs(root_.get(), &info) == 0 && (info.f_flag & ST_RDONLY) != 0;
}

}  // namespace vs::volumes
