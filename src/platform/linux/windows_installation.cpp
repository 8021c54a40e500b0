#include "platform/linux/windows_installation.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

#include "platform/volumes/mounted_volume.h"

namespace vs::linux_host {

std::optional<WindowsInstallation> findWindowsInstallation(const volumes::DriveTable& drives) {
  for (const char letter : drives.letters()) {
    const auto* mounted = dynamic_cast<const volumes::MountedVolume*>(drives.volume(letter));
    if (!mounted) continue;
    const volumes::MountedVolume& volume = *mounted;
    for (const char* folder : {"Windows", "WINNT"}) {
      std::vector<std::string> hive{folder, "System32", "config", "SOFTWARE"};
      volumes::UniqueFd file = volume.openWithoutLinks(hive, O_RDONLY | O_NONBLOCK);
      struct stat info;
      if (!file || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
      const std::string drive{letter, ':', '\\'};
      WindowsInstallation found;
      found.windowsFolder = drive + hive[0];
      found.systemFolder = found.windowsFolder + "\\" + hive[1];
      found.hivePath =
          volume.hostFolder() + "/" + hive[0] + "/" + hive[1] + "/" + hive[2] + "/" + hive[3];
      return found;
    }
  }
  return std::nullopt;
}

}  // namespace vs::linux_host
