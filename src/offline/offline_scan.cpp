#include "offline/offline_scan.h"

#include "engine/scan_driver.h"
#include "engine/target_file.h"

namespace vs::offline {
namespace {

// The engine sends its messages only to a main window that is set; the platform hands every
// message to the report whatever the handle.
constexpr WindowHandle kReportWindow = 1;

int killNothing(ScanContext&, const TargetFile&) {
  return 0;
}

}  // namespace

void runOfflineScan(Platform& os, ScanSession& session, ScanMode mode) {
  runOfflineScan(os, session, detectorTableFor(mode));
}

void runOfflineScan(Platform& os, ScanSession& session, const DetectorEntry* detectors) {
  session.mainWindow = kReportWindow;
  session.singleFileMode = 0;  // no memory scan: the drives are walked at once
  ScanContext ctx(os, session, detectors);
  ctx.killProcess = killNothing;
  walkFixedDrives(ctx);
  sendStatistics(ctx);
  sendFinalStatus(ctx);
}

}  // namespace vs::offline
