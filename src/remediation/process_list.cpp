#include "remediation/process_list.h"

#include <cstring>
#include <memory>

#include "engine/text.h"
#include "engine/wide_text.h"

namespace vs {
namespace {

// The debug privilege lets the scan open programs of other accounts and of the system. It stays
// enabled for the rest of the run.
void enableDebugPrivilege(Platform& os) {
  std::unique_ptr<AccessToken> token = os.openProcessToken(kTokenAdjustPrivileges | kTokenQuery);
  if (!token) {
    os.messageBox("false", "TEMP", kMbOk);
    return;
  }
  PrivilegeId debug;
  os.lookupPrivilegeValue("SeDebugPrivilege", debug);
  token->adjustPrivilege(debug, kSePrivilegeEnabled);
}

// The image's wide path, kept where the ANSI path (of ansiLength characters, 0 when the ANSI call
// failed) does not name it: a name the code page cannot spell, or too long a path. False when
// neither call names the image.
bool reachImage(Platform& os, PsapiLibrary& psapi, ProcessHandle& process, std::uint32_t ansiLength,
                ProcessRecord& record) {
  std::u16string wide(static_cast<std::size_t>(kMaxWidePath) + 1, u'\0');
  const std::uint32_t length =
      psapi.mainModulePathWide(process, wide.data(), static_cast<std::uint32_t>(wide.size()));
  if (length == 0 || length >= wide.size()) return ansiLength > 0;
  wide.resize(length);
  if (ansiLength > 0 && widened(os, record.imagePath) == wide) return true;
  copyText(record.imagePath, sizeof record.imagePath, ansiRendering(os, wide).c_str());
  record.wideImagePath = std::move(wide);
  return true;
}

}  // namespace

std::uint32_t listProcessesPsapi(Platform& os, PsapiLibrary& psapi, OnAccessDenied onDenied,
                                 std::vector<ProcessRecord>& records) {
  std::uint32_t ids[kMaxProcessIds] = {};
  std::uint32_t bytes = 0;
  psapi.enumProcesses(ids, sizeof ids, &bytes);
  // More than the array holds is not believed.
  const std::uint32_t count = bytes / 4 < kMaxProcessIds ? bytes / 4 : kMaxProcessIds;
  bool privilegeTried = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::unique_ptr<ProcessHandle> process = os.openProcess(kProcessQueryAccess, ids[i]);
    if (!process && os.lastError() == kErrorAccessDenied &&
        onDenied == OnAccessDenied::EnableDebugPrivilege) {
      // Once is enough: a privilege that could not be enabled will not be enabled the next time.
      if (!privilegeTried) enableDebugPrivilege(os);
      privilegeTried = true;
      process = os.openProcess(kProcessQueryAccess, ids[i]);
    }
    if (!process) continue;
    ProcessRecord record;
    record.processId = ids[i];
    const std::uint32_t length = psapi.mainModulePath(*process, record.imagePath, kMaxPath);
    if (length == 0 && os.lastError() != kErrorInsufficientBuffer) continue;
    if (!reachImage(os, psapi, *process, length, record)) continue;
    records.push_back(std::move(record));
  }
  return count;
}

const char* fileNameOf(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

}  // namespace vs
