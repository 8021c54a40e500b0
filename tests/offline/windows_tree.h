// A Windows installation as the offline tests mount it: samples of the malware among clean files,
// names in mixed case, a read-only sample, links that loop or lead out of the volume, and a
// SOFTWARE hive with Run values for some of the samples and the malware's uninstall entry.
#pragma once

#include <string>
#include <vector>

#include "offline/hive_files.h"

namespace vs::test {

struct WindowsTree {
  std::string volume;                    // the folder mounted as C:
  std::string outside;                   // a folder beside it that links lead to
  std::string hive;                      // host path of the SOFTWARE hive
  std::vector<std::string> samples;      // Windows paths of the files that must be found
  std::vector<std::string> sampleNames;  // their detection names, in the same order
  std::vector<HiveValue> registry;       // what the hive holds
};

inline constexpr const char* kRunKey = "Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunServicesKey = "Microsoft\\Windows\\CurrentVersion\\RunServices";
inline constexpr const char* kUninstallKey =
    "Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v";

// Builds the tree in a folder; the same folder contents every time.
WindowsTree buildWindowsTree(const std::string& folder);

// The host path of a Windows path on the tree's volume.
std::string hostPath(const WindowsTree& tree, const std::string& windowsPath);

}  // namespace vs::test
