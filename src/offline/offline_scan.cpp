#include "offline/offline_scan.h"

#include "engine/scan_driver.h"

namespace vs::offline {
namespace {

// The engine sends its messages only to a main window that is set; the platform hands every
// message to the report whatever the handle.
constexpr WindowHandle kReportWindow = 1;

int killNothing(ScanContext&, const char*) {
  return 0;
}

}  // namespace

void runOfflineScan(Platform& os, ScanSession& session, ScanMode mode) {
  session.mainWindow = kReportWindow;
  session.singleFileMode = 0;  // no memory scan: the drives are walked at once
  ScanContext ctx(os, session, detectorTableFor(mode));
  ctx.killProcess = killNothing;
  walkFixedDrives(ctx);
  sendStatistics(ctx);
  sendFinalStatus(ctx);
}

}  // namespace vs::offline
