#include "remediation/process_kill.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/text.h"
#include "engine/wide_text.h"
#include "platform/windows_text.h"
#include "remediation/perf_data_kill.h"
#include "remediation/process_list.h"
#include "remediation/system_family.h"

namespace vs {
namespace {

void upperCase(char* text) {
  for (; *text; ++text) {
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
  }
}

// The 9x line: the first program in the snapshot whose file name is the file's name is killed,
// whichever folder it runs from; snapshot entries there hold full paths.
int killByNameToolhelp(Platform& os, const char* path) {
  std::unique_ptr<ToolhelpLibrary> toolhelp = os.loadToolhelp();
  os.sleep(kSnapshotPause);
  if (!toolhelp) return 0;
  std::unique_ptr<ProcessSnapshot> snapshot = toolhelp->snapshotProcesses();
  os.sleep(kSnapshotPause);
  if (!snapshot) return 0;

  char target[kMaxPath];
  copyText(target, sizeof target, fileNameOf(path));
  upperCase(target);
  ProcessEntry entry;
  if (!snapshot->first(entry)) return 0;
  while (!equalsIgnoringCase(fileNameOf(entry.exeFile), target)) {
    os.sleep(kSnapshotPause);
    if (!snapshot->next(entry)) return 0;
    os.sleep(kSnapshotPause);
  }
  // Only the first program of that name is tried, whether or not it could be killed.
  os.sleep(kBeforeOpenPause);
  std::unique_ptr<ProcessHandle> process = os.openProcess(kProcessKillAccess, entry.processId);
  const int killed = process && process->terminate(0) ? 1 : 0;
  os.sleep(kAfterKillPause);
  return killed;
}

// Whether a program's image is the file. Where either only the wide calls reach, the wide paths
// are compared: the renderings of two such names in the code page may read alike.
bool runsFile(Platform& os, const ProcessRecord& record, const TargetFile& file) {
  if (!file.wide() && record.wideImagePath.empty()) {
    return equalsIgnoringCase(record.imagePath, file.path);
  }
  const std::u16string image =
      record.wideImagePath.empty() ? widened(os, record.imagePath) : record.wideImagePath;
  return equalsIgnoringCase(image,
                            file.wide() ? std::u16string(file.widePath) : widened(os, file.path));
}

// NT 5.x: every program whose main module is the file itself, by its whole path. True whenever
// the programs could be listed, whether or not one ran the file.
bool killByPathPsapi(Platform& os, const TargetFile& file) {
  std::unique_ptr<PsapiLibrary> psapi = os.loadPsapi();
  if (!psapi) return false;
  std::vector<ProcessRecord> records;
  if (listProcessesPsapi(os, *psapi, OnAccessDenied::Skip, records) == 0) return false;
  for (const ProcessRecord& record : records) {
    if (!runsFile(os, record, file)) continue;
    std::unique_ptr<ProcessHandle> process = os.openProcess(kProcessKillAccess, record.processId);
    if (process && process->terminate(0)) {
      process.reset();
      os.sleep(kAfterKillPause);
    }
  }
  return true;
}

}  // namespace

int killProcessByPath(ScanContext& ctx, const TargetFile& file) {
  Platform& os = ctx.os;
  const int family = getSystemFamily(os);
  int killed = 0;
  if (family == FAMILY_WIN9X) {
    // The 9x line has no wide calls: its files all have ANSI paths.
    killed = killByNameToolhelp(os, file.path);
  } else if (family == FAMILY_NT) {
    if (getNtGeneration(os) == NTGEN_NT5) return killByPathPsapi(os, file) ? 1 : 0;
    killed = killByNamePerfData(os, file);
  } else {
    return 1;
  }
  if (!killed) {
    os.messageBox("Could not kill process", file.path, kMbOk);
    return 0;
  }
  return 1;
}

}  // namespace vs
