#include "engine/exit_code.h"

namespace vs {

int scanExitCode(const ScanSession& s, ScanMode mode) {
  // An infected program that could be neither killed nor stopped ends the scan before the drives:
  // it remains until the system restarts.
  if (s.memoryRestartNeeded) return kExitSomethingRemains;
  // Without its statistics the scan never reached its end.
  if (s.cancelRequested || !s.statisticsShown) return kExitCouldNotRun;
  if (s.filesInfected == 0) return kExitNothingFound;
  if (mode == ScanMode::DetectOnly) return kExitFound;
  // Every detection is counted once and every deletion once; a file the disposal could not
  // delete (reported "Unable to remove" or "Remove failed") is counted only as infected.
  if (s.restartNeeded || s.filesRemoved < s.filesInfected) return kExitSomethingRemains;
  return kExitFound;
}

}  // namespace vs
