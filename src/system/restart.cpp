#include "system/restart.h"

namespace vs {

// The restart step supplies the 9x and token roads; until it lands nothing is restarted. No scan
// can ask for a restart before then, since only the disposal sets restartNeeded.
int restartSystem(Platform&) { return 0; }

}  // namespace vs
