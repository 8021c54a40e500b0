#include "remediation/process_scan.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/product.h"
#include "engine/text.h"
#include "engine/walk.h"
#include "engine/wide_text.h"
#include "remediation/process_list.h"
#include "remediation/restart.h"
#include "remediation/service_cleanup.h"
#include "remediation/system_family.h"

namespace vs {
namespace {

// The single-file walk of a program's image, through the wide calls for an image that only they
// reach.
int walkImage(ScanContext& ctx, const ProcessRecord& record) {
  if (!record.wideImagePath.empty()) return walkDirectoryWide(ctx, record.wideImagePath);
  return walkDirectory(ctx, record.imagePath);
}

// The disposal pass: the matcher reports the image and disposes of it without testing it again.
// A cancel that came after the program was tested does not stop it: the program has been killed,
// and its image must follow with its lines, or the kill would be neither finished nor reported.
int disposeImage(ScanContext& ctx, const ProcessRecord& record) {
  ScanSession& s = ctx.session;
  const std::uint8_t cancelled = s.cancelRequested;
  s.cancelRequested = 0;
  s.memoryDisposalPending = 1;
  const int value = walkImage(ctx, record);
  s.memoryDisposalPending = 0;
  s.cancelRequested |= cancelled;
  return value;
}

bool terminateProcess(ScanContext& ctx, std::uint32_t processId) {
  std::unique_ptr<ProcessHandle> process = ctx.os.openProcess(kProcessKillAccess, processId);
  return process && process->terminate(0);
}

// The service that runs an image is named after the image's file name without its extension.
// False for an image whose file name the code page cannot spell: no ANSI name can ask for its
// service, and the rendering might name another's.
bool serviceNameOf(Platform& os, const ProcessRecord& record, char (&name)[kMaxPath]) {
  if (record.wideImagePath.empty()) {
    copyText(name, sizeof name, fileNameOf(record.imagePath));
  } else {
    const std::u16string& path = record.wideImagePath;
    const std::u16string fileName = path.substr(path.rfind(u'\\') + 1);
    const std::string rendered = ansiRendering(os, fileName);
    if (rendered.size() >= sizeof name || widened(os, rendered) != fileName) return false;
    copyText(name, sizeof name, rendered.c_str());
  }
  if (char* dot = std::strrchr(name, '.')) *dot = '\0';
  return true;
}

using KillRule = int (*)(ScanContext& ctx, const ProcessRecord& record, int value);

// The 9x line: one attempt, then the disposal pass whatever came of it.
int killRuleToolhelp(ScanContext& ctx, const ProcessRecord& record, int) {
  terminateProcess(ctx, record.processId);
  return disposeImage(ctx, record);
}

// The NT line: two attempts, then, on NT 4 and NT 5.x, the program is stopped as the service it
// may be. Only a program that outlived both attempts and the stop leaves a restart needed; one
// the first attempt killed refuses the second only because it is ending.
int killRuleNt(ScanContext& ctx, const ProcessRecord& record, int value) {
  const bool killedFirst = terminateProcess(ctx, record.processId);
  if (killedFirst) value = 1;
  if (terminateProcess(ctx, record.processId)) return disposeImage(ctx, record);

  const int generation = getNtGeneration(ctx.os);
  if (generation == NTGEN_NT4 || generation == NTGEN_NT5) {
    char service[kMaxPath];
    const bool named = serviceNameOf(ctx.os, record, service);
    if (named && stopServiceByName(ctx.os, service, 1)) {
      deleteServiceKeys(ctx.os, service);
      return disposeImage(ctx, record);
    }
    if (named) deleteServiceKeys(ctx.os, service);
    if (!killedFirst) ctx.session.memoryRestartNeeded = 1;
  }
  return value != 0 ? disposeImage(ctx, record) : value;
}

// Tests one program's image through the single-file walk and, when it matched, kills the program
// and disposes of the image. Returns the record's value.
int testProcess(ScanContext& ctx, const ProcessRecord& record, KillRule kill) {
  // An image that cannot be read cannot be tested: its program is left alone.
  const bool readable = record.wideImagePath.empty()
                            ? ctx.os.isReadable(record.imagePath)
                            : ctx.os.pathExistsWide(record.wideImagePath.c_str());
  if (!readable) return 0;
  const int value = walkImage(ctx, record);
  if (!ctx.session.singleFileMatched) return value;
  return kill(ctx, record, value);
}

void appendEntry(std::vector<ProcessRecord>& records, const ProcessEntry& entry) {
  ProcessRecord& record = records.emplace_back();
  record.processId = entry.processId;
  copyText(record.imagePath, sizeof record.imagePath, entry.exeFile);
}

// The 9x line lists its programs through a tool-help snapshot, whose entries carry full paths.
int scanMemoryToolhelp(ScanContext& ctx) {
  std::unique_ptr<ToolhelpLibrary> toolhelp = ctx.os.loadToolhelp();
  if (!toolhelp) return 0;
  std::unique_ptr<ProcessSnapshot> snapshot = toolhelp->snapshotProcesses();
  if (!snapshot) return 0;
  std::vector<ProcessRecord> records;
  ProcessEntry entry;
  if (!snapshot->first(entry)) return 0;
  appendEntry(records, entry);
  while (snapshot->next(entry)) appendEntry(records, entry);
  if (ctx.os.lastError() == kErrorProcNotFound) return 0;

  int value = 0;
  for (const ProcessRecord& record : records) value = testProcess(ctx, record, killRuleToolhelp);
  return value;
}

// The NT line lists its programs through psapi, with the debug privilege for those of others.
int scanMemoryPsapi(ScanContext& ctx) {
  std::unique_ptr<PsapiLibrary> psapi = ctx.os.loadPsapi();
  if (!psapi) return 0;
  std::vector<ProcessRecord> records;
  if (listProcessesPsapi(ctx.os, *psapi, OnAccessDenied::EnableDebugPrivilege, records) == 0) {
    return 0;
  }
  int value = 0;
  for (const ProcessRecord& record : records) value = testProcess(ctx, record, killRuleNt);
  return value;
}

}  // namespace

int scanMemory(ScanContext& ctx) {
  ScanSession& s = ctx.session;
  const int family = getSystemFamily(ctx.os);
  s.singleFileMode = 1;
  if (family == FAMILY_WIN9X) {
    scanMemoryToolhelp(ctx);
  } else if (family == FAMILY_NT) {
    scanMemoryPsapi(ctx);
  }
  s.singleFileMode = 0;
  if (!s.memoryRestartNeeded) return 1;

  // An infected program still runs: scanning the drives now would leave it to infect them again.
  if (ctx.os.skinMessageBox(kMemoryRestartQuestion, kProductTitle, kMbOkCancelInformation) ==
      kIdOk) {
    restartSystem(ctx.os);
  }
  ctx.os.exitProcess(0);
  return 0;
}

}  // namespace vs
