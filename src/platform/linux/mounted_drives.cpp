#include "platform/linux/mounted_drives.h"

#include <cctype>
#include <cerrno>

#include "platform/linux/windows_path.h"

namespace vs::linux_host {

bool MountedDrives::add(char letter, std::unique_ptr<MountedVolume> volume) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  // A: and B: would never be scanned.
  if (upper < 'C' || upper > 'Z' || volumes_.count(upper)) return false;
  volumes_[upper] = std::move(volume);
  return true;
}

MountedVolume* MountedDrives::volume(char letter) const {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  const auto found = volumes_.find(upper);
  return found == volumes_.end() ? nullptr : found->second.get();
}

MountedVolume* MountedDrives::locate(const char* path, std::vector<std::string>& components) const {
  WindowsPath parsed;
  MountedVolume* found = parseWindowsPath(path, parsed) ? volume(parsed.drive) : nullptr;
  if (!found) {
    errno = ENOENT;
    return nullptr;
  }
  components = std::move(parsed.components);
  return found;
}

std::vector<char> MountedDrives::letters() const {
  std::vector<char> result;
  for (const auto& [letter, volume] : volumes_) result.push_back(letter);
  return result;
}

}  // namespace vs::linux_host
