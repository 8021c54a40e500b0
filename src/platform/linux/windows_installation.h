// Where the Windows installation lies on the mounted drives: the first drive, from C: on, with a
// "Windows" (or, on older systems, "WINNT") folder that holds the SOFTWARE hive in
// "System32\config". Names are found ignoring letter case; no part of the hive's path may be a
// symbolic link, since the hive is the one file besides infected ones that the tool rewrites.
#pragma once

#include <optional>
#include <string>

#include "platform/volumes/drive_table.h"

namespace vs::linux_host {

struct WindowsInstallation {
  std::string windowsFolder;  // Windows path as the volume spells it: "C:\WINDOWS"
  std::string systemFolder;   // "C:\WINDOWS\system32"
  std::string hivePath;       // host path of the SOFTWARE hive
};

// Only mounted volumes are looked at: the hive is read and rewritten in place through hivex.
std::optional<WindowsInstallation> findWindowsInstallation(const volumes::DriveTable& drives);

}  // namespace vs::linux_host
