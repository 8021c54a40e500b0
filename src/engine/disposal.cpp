#include "engine/disposal.h"

#include "engine/status_channel.h"
#include "remediation/deferred_delete.h"
#include "remediation/registry_cleanup.h"

namespace vs {
namespace {

void reportRemoved(ScanContext& ctx, const char* path, const char* detectionName) {
  ctx.session.filesRemoved += 1;
  removeUninstallEntry(ctx);
  sendReportLine(ctx, "%s     %s removed", path, detectionName);
}

}  // namespace

void disposeInfectedFile(ScanContext& ctx, const char* path, const char* detectionName) {
  // Read-only, hidden and system files cannot be deleted as they are.
  if (!ctx.os.setFileAttributes(path, kAttrArchive)) {
    sendReportLine(ctx, "%s     %s Unable to remove", path, detectionName);
    return;
  }
  if (ctx.os.deleteFile(path)) {
    reportRemoved(ctx, path, detectionName);
    return;
  }
  // In use: free it by killing the program that holds it.
  if (ctx.killProcess(ctx, path) && ctx.os.deleteFile(path)) {
    reportRemoved(ctx, path, detectionName);
    return;
  }
  sendReportLine(ctx, "%s     %s Unable to remove", path, detectionName);
  if (scheduleDeleteAtRestart(ctx.os, path)) ctx.session.restartNeeded = 1;
}

void disposeMemoryImage(ScanContext& ctx, const char* path, const char* familyName) {
  sendReportLine(ctx, "%s", kMemoryLine);
  ctx.os.sleep(kImageReleasePause);
  disposeInfectedFile(ctx, path, familyName);
}

}  // namespace vs
