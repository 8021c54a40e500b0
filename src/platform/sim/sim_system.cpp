// The simulated machine's system side: the version it reports, the privileges of its account and
// the restart requests it receives.
#include <algorithm>
#include <cstdio>

#include "platform/sim/sim_machine.h"

namespace vs::sim {
namespace {

constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;

// The identifiers that the system gives the privileges it knows.
struct KnownPrivilege {
  const char* name;
  std::uint32_t id;
};
constexpr KnownPrivilege kKnownPrivileges[] = {{"SeShutdownPrivilege", 19},
                                               {"SeDebugPrivilege", 20}};

const char* privilegeName(const PrivilegeId& privilege) {
  for (const KnownPrivilege& known : kKnownPrivileges) {
    if (privilege.highPart == 0 && privilege.lowPart == known.id) return known.name;
  }
  return nullptr;
}

std::string hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

class SimMachine::Token : public AccessToken {
 public:
  Token(SimMachine& machine, std::uint32_t access) : machine_(machine), access_(access) {}

  bool adjustPrivilege(const PrivilegeId& privilege, std::uint32_t attributes) override {
    const char* name = privilegeName(privilege);
    machine_.log(std::string("adjustPrivilege ") + (name ? name : "?") + " " + hex(attributes));
    if (!(access_ & kTokenAdjustPrivileges) || !name) return machine_.fail(kErrorAccessDenied);
    const auto& held = machine_.heldPrivileges;
    if (std::find(held.begin(), held.end(), name) == held.end()) {
      machine_.lastError_ = kErrorNotAllAssigned;  // the call succeeds all the same
      return true;
    }
    if (attributes & kSePrivilegeEnabled) machine_.enabledPrivileges.push_back(name);
    machine_.lastError_ = 0;
    return true;
  }

 private:
  SimMachine& machine_;
  std::uint32_t access_;
};

bool SimMachine::version(VersionInfo& info) {
  log("version");
  if (!versionInfo) return fail(kErrorInvalidParameter);
  info = *versionInfo;
  return true;
}

std::unique_ptr<AccessToken> SimMachine::openProcessToken(std::uint32_t desiredAccess) {
  log("openProcessToken " + hex(desiredAccess));
  if (tokenOpenFails) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<Token>(*this, desiredAccess);
}

bool SimMachine::lookupPrivilegeValue(const char* name, PrivilegeId& privilege) {
  log(std::string("lookupPrivilegeValue ") + name);
  for (const KnownPrivilege& known : kKnownPrivileges) {
    if (std::string(name) == known.name) {
      privilege = {known.id, 0};
      return true;
    }
  }
  return fail(kErrorNoSuchPrivilege);
}

bool SimMachine::exitWindows(std::uint32_t flags, std::uint32_t reserved) {
  log("exitWindows " + hex(flags) + " " + hex(reserved));
  restartRequests.push_back(flags);
  return !exitWindowsFails || fail(kErrorAccessDenied);
}

}  // namespace vs::sim
