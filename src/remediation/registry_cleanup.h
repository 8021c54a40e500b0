// Removal of what the malware plants in the registry, and the look at the hosts file that follows
// every detection.
#pragma once

#include "engine/scan_session.h"

namespace vs {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunServicesKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

// Runs after every detection with the detection name: hands the hosts file to the attachment
// check, deletes the remembered Run value from the three keys that may hold it, and removes the
// Run and RunServices values that start the file under check. Returns 1.
int removeRegistryTraces(ScanContext& ctx, const char* detectionName);

// Deletes every value of a Run-type key whose command starts the file under check
// (currentFilePath), remembering the name of each value it matched.
void removeRunEntries(ScanContext& ctx, const char* keyPath);

// Runs after every deletion of an infected file: removes the malware's uninstall entry and its
// Run value when they point at its files. Returns 1 when every registry call succeeded.
int removeUninstallEntry(ScanContext& ctx);

}  // namespace vs
