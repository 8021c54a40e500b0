#include "system/process_kill.h"

namespace vs {

// The process step supplies the roads that find the program running this file (tool-help on the
// 9x line, psapi on NT 5.x, the performance data elsewhere) and kill it. Until it lands nothing is
// killed, so a file in use goes straight to deletion at the next start.
int killProcessByPath(ScanContext&, const char*) {
  return 0;
}

}  // namespace vs
