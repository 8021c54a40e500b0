// Removal of what the malware plants in the registry, and the look at the hosts file that follows
// every detection.
#pragma once

#include <string_view>

#include "engine/scan_session.h"
#include "remediation/run_value_rules.h"

namespace vs {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunServicesKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
// The malware's uninstall key, which may hold a remembered Run value too.
inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v";
// The name under which a removed Run value is reported.
inline constexpr const char* kRunValueFamily = "W32/Talvorn.Trojan";
// Value names reach 16,383 characters; the name buffer holds the longest with its terminator.
constexpr std::uint32_t kValueNameCapacity = 16384;
// rememberedRunValue holds 127 characters and its terminator.
constexpr std::size_t kRememberedRunValueCapacity = sizeof ScanSession{}.rememberedRunValue;

// Runs after every detection with the detection name: hands the hosts file to the attachment
// check, deletes the remembered Run value from the three keys that may hold it, and removes the
// Run and RunServices values that start the file under check. Returns 1.
int removeRegistryTraces(ScanContext& ctx, const char* detectionName);

// Reads a value of a Run-type key and judges whether its command starts filePath, raw or with its
// environment variables expanded in the tool's buffers; Keep when it cannot be read or expanded.
RunValueVerdict judgeRunEntry(Platform& os, const char* keyPath, const char* name,
                              const char* filePath);
// The same on the registry's wide text, for a file that only the wide calls reach: the command is
// read and expanded up to the longest wide path.
RunValueVerdict judgeRunEntry(Platform& os, const char* keyPath, const char16_t* name,
                              std::u16string_view filePath);

// Deletes every value of a Run-type key whose command starts the file under check
// (currentFilePath), remembering the name of each value it matched.
void removeRunEntries(ScanContext& ctx, const char* keyPath);

// Runs after every deletion of an infected file: removes the malware's uninstall entry and its
// Run value when they point at its files. Returns 1 when every registry call succeeded.
int removeUninstallEntry(ScanContext& ctx);

}  // namespace vs
