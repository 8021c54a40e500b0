#include "engine/scan_driver.h"

#include "engine/product.h"
#include "engine/status_channel.h"
#include "engine/walk.h"
#include "remediation/process_scan.h"
#include "remediation/restart.h"

namespace vs {

void walkFixedDrives(ScanContext& ctx) {
  ScanSession& s = ctx.session;
  // A: and B: are never scanned.
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    char root[] = {letter, ':', '\\', '\0'};
    if (ctx.os.driveType(root) != kDriveFixed) continue;
    char pattern[] = {letter, ':', '\\', '*', '.', '*', '\0'};
    walkDirectory(ctx, pattern);
    if (s.programFilesPending == 1 && s.programFilesSeen == 0) {
      walkDirectory(ctx, s.programFilesPattern);
      s.programFilesPending = 0;
    }
  }
}

void sendStatistics(ScanContext& ctx) {
  ScanSession& s = ctx.session;
  s.statisticsShown = 1;
  if (s.filesInfected > 0) sendReportLine(ctx, " ");
  sendReportLine(ctx, "Scanning statistics");
  sendReportLine(ctx, "------------------------------");
  sendReportLine(ctx, "Total files scanned\t\t:  %d", s.filesScanned);
  sendReportLine(ctx, "Total files infected\t\t:  %d", s.filesInfected);
  sendReportLine(ctx, "Total files removed\t\t:  %d", s.filesRemoved);
}

void sendFinalStatus(ScanContext& ctx) {
  sendStatusTextNow(ctx,
                    ctx.session.cancelRequested ? "Scanning terminated" : "Scanning completed");
}

int runScanSession(ScanContext& ctx) {
  ScanSession& s = ctx.session;
  // When the memory scan found a program it could not stop, the program has ended.
  if (!scanMemory(ctx)) return 1;
  walkFixedDrives(ctx);
  sendStatistics(ctx);
  sendFinalStatus(ctx);
  if (s.restartNeeded &&
      ctx.os.skinMessageBox(kRestartQuestion, kProductTitle, kMbYesNoQuestion) == kIdYes) {
    restartSystem(ctx.os);
  }
  return 1;
}

}  // namespace vs
