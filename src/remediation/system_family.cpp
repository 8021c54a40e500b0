#include "remediation/system_family.h"

namespace vs {

int getSystemFamily(Platform& os) {
  VersionInfo info;
  if (!os.version(info)) return FAMILY_UNKNOWN;
  if (info.platformId == kPlatformWin32Windows) return FAMILY_WIN9X;
  if (info.platformId == kPlatformWin32Nt) return FAMILY_NT;
  return FAMILY_OTHER;
}

int getNtGeneration(Platform& os) {
  VersionInfo info;
  if (!os.version(info) || info.platformId != kPlatformWin32Nt) return NTGEN_NONE;
  if (info.majorVersion <= 4) return NTGEN_NT4;
  if (info.majorVersion == 5) return NTGEN_NT5;
  return NTGEN_NONE;
}

}  // namespace vs
