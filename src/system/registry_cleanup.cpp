#include "system/registry_cleanup.h"

namespace vs {

// The registry step supplies the hosts-file check and the Run-value cleanup; until it lands a
// detection leaves the registry unchanged.
int removeRegistryTraces(ScanContext&, const char*) {
  return 1;
}

// The registry step supplies the removal of the uninstall key and of its Run value; until it
// lands a deletion leaves the registry unchanged.
int removeUninstallEntry(ScanContext&) {
  return 0;
}

}  // namespace vs
