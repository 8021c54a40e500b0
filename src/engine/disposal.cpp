#include "engine/disposal.h"

#include "engine/status_channel.h"
#include "remediation/deferred_delete.h"
#include "remediation/registry_cleanup.h"

namespace vs {
namespace {

void reportRemoved(ScanContext& ctx, const TargetFile& file, const char* detectionName) {
  ctx.session.filesRemoved += 1;
  removeUninstallEntry(ctx);
  sendFileLine(ctx, file, detectionName, "removed");
}

}  // namespace

void disposeInfectedFile(ScanContext& ctx, const TargetFile& file, const char* detectionName) {
  // Read-only, hidden and system files cannot be deleted as they are.
  if (!setTargetAttributes(ctx.os, file, kAttrArchive)) {
    sendFileLine(ctx, file, detectionName, "Unable to remove");
    return;
  }
  if (deleteTarget(ctx.os, file)) {
    reportRemoved(ctx, file, detectionName);
    return;
  }
  // In use: free it by killing the program that holds it.
  if (ctx.killProcess(ctx, file) && deleteTarget(ctx.os, file)) {
    reportRemoved(ctx, file, detectionName);
    return;
  }
  sendFileLine(ctx, file, detectionName, "Unable to remove");
  if (scheduleDeleteAtRestart(ctx.os, file)) ctx.session.restartNeeded = 1;
}

void disposeMemoryImage(ScanContext& ctx, const TargetFile& file, const char* familyName) {
  sendReportLine(ctx, "%s", kMemoryLine);
  ctx.os.sleep(kImageReleasePause);
  disposeInfectedFile(ctx, file, familyName);
}

}  // namespace vs
