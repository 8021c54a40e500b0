#include "remediation/service_cleanup.h"

#include <cstring>
#include <memory>

#include "engine/text.h"
#include "remediation/registry_access.h"

namespace vs {
namespace {

constexpr std::size_t kServiceKeyCapacity = 512;

// Each subkey before its parent: the NT line deletes no key that still has subkeys. The second
// control set's first path keeps the letter case the malware's own cleanup uses; the registry
// ignores it.
struct ServiceKeyPath {
  const char* prefix;
  const char* suffix;
};
constexpr ServiceKeyPath kServiceKeyPaths[] = {
    {"SYSTEM\\ControlSet001\\Services\\", "\\Enum"},
    {"SYSTEM\\ControlSet001\\Services\\", "\\Security"},
    {"SYSTEM\\ControlSet001\\Services\\", ""},
    {"SYSTEM\\CONTROLSET002\\SERVICES\\", "\\Enum"},
    {"SYSTEM\\ControlSet002\\Services\\", "\\Security"},
    {"SYSTEM\\ControlSet002\\Services\\", ""},
};

}  // namespace

int stopServiceByName(Platform& os, const char* serviceName, int stop) {
  std::unique_ptr<ServiceManager> manager = os.openServiceManager(kServiceAllAccess);
  if (!manager) return 0;
  std::unique_ptr<ServiceHandle> service = manager->openService(serviceName, kServiceAllAccess);
  if (!service) return 0;
  if (!stop) return 1;

  std::uint32_t state = 0;
  if (!service->stop(state)) return 0;
  // A service that never leaves "stop pending" would hold the scan for ever; after the last
  // wait it counts as not stopped.
  for (int waits = 0;; ++waits) {
    std::uint32_t queried = 0;
    if (!service->queryStatus(queried)) break;
    state = queried;
    if (state != kServiceStopPending || waits == kStopPendingWaits) break;
    os.sleep(kStopPendingPause);
  }
  return state == kServiceStopped ? 1 : 0;
}

int deleteServiceKeys(Platform& os, const char* serviceName) {
  if (serviceName[0] == '\0' || std::strchr(serviceName, '\\')) return 0;
  int deleted = 0;
  for (const ServiceKeyPath& path : kServiceKeyPaths) {
    char keyPath[kServiceKeyCapacity];
    copyText(keyPath, sizeof keyPath, path.prefix);
    // A path the buffer cannot hold is not tried: cut, it would name another key.
    if (!appendText(keyPath, sizeof keyPath, serviceName) ||
        !appendText(keyPath, sizeof keyPath, path.suffix)) {
      continue;
    }
    if (deleteRegistryKey(os, keyPath)) deleted = 1;
  }
  return deleted;
}

}  // namespace vs
