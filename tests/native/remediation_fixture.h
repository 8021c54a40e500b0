// The engine fixture with what the remediation tests share: the registry keys the cleanup knows,
// the system the machine reports, and infected samples to run.
#pragma once

#include <string>

#include "engine/signature_record.h"
#include "engine_fixture.h"
#include "sample_builder.h"

namespace vs::test {

inline const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::string kRunServices = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";
inline const std::string kUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v";

// The systems the roads are chosen by.
inline constexpr VersionInfo kWindows98{kPlatformWin32Windows, 4, 10};
inline constexpr VersionInfo kWindowsNt4{kPlatformWin32Nt, 4, 0};
inline constexpr VersionInfo kWindowsXp{kPlatformWin32Nt, 5, 1};
inline constexpr VersionInfo kWindows7{kPlatformWin32Nt, 6, 1};

class RemediationFixture : public EngineFixture {
 protected:
  // A file that the first record of the table detects.
  static std::string infected(std::uint32_t seed = 1) { return samples::sample(seed); }
  static std::string clean() { return samples::lookAlike(9); }
  static std::string name(int record = 0) { return kSignatureTable[record].name; }
};

}  // namespace vs::test
