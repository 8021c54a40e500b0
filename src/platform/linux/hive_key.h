// Registry keys of HKEY_LOCAL_MACHINE\SOFTWARE served from the SOFTWARE hive of a volume, with the
// results of the registry's own calls; strings come back in UTF-8, this host's code page.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/linux/software_hive.h"
#include "platform/platform.h"

namespace vs::linux_host {

// RegOpenKeyExA below HKEY_LOCAL_MACHINE: paths that begin with "SOFTWARE" (any letter case) lead
// into the hive; every other key, and every key when there is no hive, is not found. The key may
// delete values when access asks for the right to set them.
std::int32_t openSoftwareKey(SoftwareHive* hive, const char* path, std::uint32_t access,
                             std::unique_ptr<RegistryKey>& key);

}  // namespace vs::linux_host
