#include "offline/offline_scan.h"

#include "engine/matcher.h"
#include "engine/scan_driver.h"
#include "engine/status_channel.h"
#include "engine/walk.h"

namespace vs::offline {
namespace {

// The engine sends its messages only to a main window that is set; the platform hands every
// message to the report whatever the handle.
constexpr WindowHandle kReportWindow = 1;

int killNothing(ScanContext&, const char*) {
  return 0;
}

int detectOnly(ScanContext& ctx, const char*, const char* path) {
  const int index = examineFile(ctx.os, path, ctx.listedSize, nullptr);
  if (index < 0) return 0;
  ctx.session.filesInfected += 1;
  sendReportLine(ctx, "%s     %s detected", path, kSignatureTable[index].name);
  return 1;
}

const DetectorEntry kDetectOnlyTable[] = {{kFamilyName, detectOnly}, {nullptr, nullptr}};

}  // namespace

void runOfflineScan(Platform& os, ScanSession& session, ScanMode mode) {
  runOfflineScan(os, session, mode == ScanMode::Remove ? kDetectorTable : kDetectOnlyTable);
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
