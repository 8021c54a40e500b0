#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/linux_platform.h"
#include "platform/linux/volume_listing.h"

namespace vs::linux_host {
namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

class VolumeFile : public ReadableFile {
 public:
  explicit VolumeFile(UniqueFd fd) : fd_(std::move(fd)) {}
  std::int64_t length() override {
    struct stat info;
    return fstat(fd_.get(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
  }
  bool seek(std::int64_t offset) override {
    return offset >= 0 && lseek(fd_.get(), offset, SEEK_SET) >= 0;
  }
  std::int32_t read(void* buffer, std::uint32_t count) override {
    ssize_t got;
    do {
      got = ::read(fd_.get(), buffer, count);
    } while (got < 0 && errno == EINTR);
    return static_cast<std::int32_t>(got);
  }

 private:
  UniqueFd fd_;
};

}  // namespace

bool LinuxPlatform::fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

bool LinuxPlatform::failFromErrno() {
  switch (errno) {
    case ENOENT:
      return fail(kErrorFileNotFound);
    case ENOTDIR:
      return fail(kErrorPathNotFound);
    case EBUSY:
    case ETXTBSY:
      return fail(kErrorSharingViolation);
    case ENOSPC:
      return fail(kErrorDiskFull);
    default:  // EACCES, EPERM, EROFS, and links refused (EXDEV, ELOOP)
      return fail(kErrorAccessDenied);
  }
}

std::unique_ptr<DirectoryListing> LinuxPlatform::listDirectory(const char* pattern) {
  const char* slash = std::strrchr(pattern, '\\');
  if (!slash) {
    fail(kErrorPathNotFound);
    return nullptr;
  }
  const std::string folder(pattern, slash);
  std::vector<std::string> components;
  MountedVolume* volume = drives_.locate(folder.c_str(), components);
  UniqueFd directory = volume ? volume->openPath(components, O_RDONLY | O_DIRECTORY) : UniqueFd();
  DIR* listing = directory ? fdopendir(directory.get()) : nullptr;
  if (!listing) {
    failFromErrno();
    return nullptr;
  }
  directory.release();
  // The copy of the hive this run saved is no part of the system being scanned: the walk does
  // not see it, so the report counts what the Windows tool would count.
  return std::make_unique<VolumeListing>(
      listing, slash + 1, components.empty(),
      [this](dev_t device, ino_t inode) { return hive_ && hive_->isCopy(device, inode); });
}

unsigned LinuxPlatform::driveType(const char* root) {
  return root && drives_.volume(root[0]) ? kDriveFixed : kDriveNoRootDir;
}

bool LinuxPlatform::pathExists(const char* path) {
  std::vector<std::string> components;
  MountedVolume* volume = drives_.locate(path, components);
  return (volume && volume->openPath(components, O_PATH)) || failFromErrno();
}

bool LinuxPlatform::isReadable(const char* path) {
  std::vector<std::string> components;
  MountedVolume* volume = drives_.locate(path, components);
  return (volume && volume->openPath(components, O_RDONLY | O_NONBLOCK)) || failFromErrno();
}

std::unique_ptr<ReadableFile> LinuxPlatform::openForReading(const char* path) {
  std::vector<std::string> components;
  MountedVolume* volume = drives_.locate(path, components);
  // Non-blocking, so that a pipe or a device on the volume cannot hold the scan; only regular
  // files are read.
  UniqueFd fd =
      volume ? volume->openPath(components, O_RDONLY | O_NONBLOCK | O_NOCTTY) : UniqueFd();
  if (!fd) {
    failFromErrno();
    return nullptr;
  }
  struct stat info;
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<VolumeFile>(std::move(fd));
}

bool LinuxPlatform::setFileAttributes(const char* path, std::uint32_t attributes) {
  std::vector<std::string> components;
  MountedVolume* volume = drives_.locate(path, components);
  UniqueFd directory = volume ? volume->openParent(components) : UniqueFd();
  struct stat info;
  if (!directory ||
      fstatat(directory.get(), components.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return failFromErrno();
  }
  // A link has no attributes of its own here; its target is not touched.
  if (S_ISLNK(info.st_mode)) return true;
  const mode_t mode = info.st_mode & 07777;
  const mode_t wanted = (attributes & kAttrReadOnly) ? (mode & ~kWriteBits) : (mode | S_IWUSR);
  return wanted == mode || fchmodat(directory.get(), components.back().c_str(), wanted, 0) == 0 ||
         failFromErrno();
}

bool LinuxPlatform::deleteFile(const char* path) {
  std::vector<std::string> components;
  MountedVolume* volume = drives_.locate(path, components);
  UniqueFd directory = volume ? volume->openParent(components) : UniqueFd();
  // unlinkat without AT_REMOVEDIR refuses a directory; a link goes, its target stays.
  return (directory && unlinkat(directory.get(), components.back().c_str(), 0) == 0) ||
         failFromErrno();
}

// The tool writes nothing on the volume but deletions, attribute resets and the hive: copying
// and writing files (the 9x line's wininit.ini) and the reboot-time deletion are refused, since
// the system that would carry them out is not running.
bool LinuxPlatform::copyFile(const char*, const char*) {
  return fail(kErrorAccessDenied);
}

std::unique_ptr<WritableFile> LinuxPlatform::openForWriting(const char*, WriteMode) {
  fail(kErrorAccessDenied);
  return nullptr;
}

bool LinuxPlatform::deleteAtReboot(const char*) {
  return fail(kErrorAccessDenied);
}

}  // namespace vs::linux_host
