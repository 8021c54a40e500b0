// The registry of the installation: HKEY_LOCAL_MACHINE\SOFTWARE from its hive.
#include "platform/linux/hive_key.h"
#include "platform/linux/linux_platform.h"

namespace vs::linux_host {

std::int32_t LinuxPlatform::openMachineKey(const char* path, std::uint32_t access,
                                           std::unique_ptr<RegistryKey>& key) {
  return openSoftwareKey(hive_, path, access, key);
}

}  // namespace vs::linux_host
