#include "platform/linux/mounted_volume.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/linux/windows_path.h"

namespace vs::linux_host {
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
    if (sameNameIgnoringCase(entry->d_name, name)) {
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

bool MountedVolume::spellIgnoringCase(std::vector<std::string>& components,
                                      std::size_t count) const {
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

UniqueFd MountedVolume::openPath(std::vector<std::string>& components, int flags) const {
  // Paths that come from a listing exist as spelled: one call.
  UniqueFd fd = openBeneath(relativeHostPath(components), flags, true);
  if (fd || errno != ENOENT) return fd;
  if (!spellIgnoringCase(components, components.size())) return UniqueFd();
  return openBeneath(relativeHostPath(components), flags, true);
}

UniqueFd MountedVolume::openWithoutLinks(std::vector<std::string>& components, int flags) const {
  if (!spellIgnoringCase(components, components.size())) return UniqueFd();
  return openBeneath(relativeHostPath(components), flags, false);
}

UniqueFd MountedVolume::openParent(std::vector<std::string>& components) const {
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

bool MountedVolume::readOnly() const {
  struct statvfs info;
  return fstatvfs(root_.get(), &info) == 0 && (info.f_flag & ST_RDONLY) != 0;
}

}  // namespace vs::linux_host
