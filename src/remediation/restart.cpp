#include "remediation/restart.h"

#include "remediation/system_family.h"

namespace vs {
namespace {

// Running programs are not asked whether they agree to close.
constexpr std::uint32_t kRebootForced = kEwxReboot | kEwxForce;

}  // namespace

int restartSystem(Platform& os) {
  // The 9x line has no privileges to enable.
  if (getSystemFamily(os) == FAMILY_WIN9X) return os.exitWindows(kRebootForced, 0) ? 1 : 0;

  std::unique_ptr<AccessToken> token = os.openProcessToken(kTokenAdjustPrivileges | kTokenQuery);
  if (!token) return 0;
  // Neither result is looked at: the last error after the adjustment tells whether the privilege
  // is enabled, also when the account does not hold it and the call itself succeeds.
  PrivilegeId shutdown;
  os.lookupPrivilegeValue("SeShutdownPrivilege", shutdown);
  token->adjustPrivilege(shutdown, kSePrivilegeEnabled);
  const std::uint32_t error = os.lastError();
  if (error != 0) return static_cast<int>(error);
  return os.exitWindows(kRebootForced, 0) ? 1 : 0;
}

}  // namespace vs
