#include "remediation/registry_cleanup.h"

#include <cstring>
#include <memory>
#include <string>

#include "engine/attachment_check.h"
#include "engine/matcher.h"
#include "engine/status_channel.h"
#include "engine/text.h"
#include "engine/wide_text.h"
#include "remediation/registry_access.h"
#include "remediation/system_family.h"

namespace vs {
namespace {

constexpr const char* kMalwareUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v";
constexpr const char* kMalwareRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

constexpr std::uint32_t kRunDataCapacity = 264;
constexpr std::uint32_t kExpandedCapacity = 261;
constexpr std::uint32_t kUninstallDataCapacity = 100;
// A command that names a file only the wide calls reach may hold a path longer than the ANSI
// buffers: it is read, and expanded, up to the longest wide path.
constexpr std::uint32_t kWideCommandCapacity = kMaxWidePath + 1;

void reportRemoved(ScanContext& ctx, const char* name) {
  if (!ctx.session.mainWindow) return;
  sendReportLine(ctx, "System Registry     %s removed", name);
}

// The hosts file: in the system directory on the NT line, in the Windows directory on the 9x line.
void checkHostsFile(ScanContext& ctx) {
  const int family = getSystemFamily(ctx.os);
  char path[kMaxPath];
  std::uint32_t length = 0;
  const char* tail = nullptr;
  if (family == FAMILY_NT) {
    length = ctx.os.systemDirectory(path, sizeof path);
    tail = "\\drivers\\etc\\hosts";
  } else if (family == FAMILY_WIN9X) {
    length = ctx.os.windowsDirectory(path, sizeof path);
    tail = "\\hosts";
  } else {
    return;
  }
  // A folder the buffer cannot hold, or a path that grows too long, names no hosts file.
  if (length == 0 || length >= sizeof path || !appendText(path, sizeof path, tail)) return;
  checkEncodedAttachment(ctx, kFamilyName, path);
}

// A name that rememberedRunValue cannot hold whole is not remembered: cut, it could name some
// other value.
void rememberRunValue(ScanSession& s, const char* name) {
  if (std::strlen(name) < sizeof s.rememberedRunValue) {
    copyText(s.rememberedRunValue, sizeof s.rememberedRunValue, name);
  }
}

// Judges one value of a Run-type key and deletes it when it starts the file under check; true
// when it was deleted.
bool removeIfItStartsTheFile(ScanContext& ctx, const char* keyPath, const char* name) {
  ScanSession& s = ctx.session;
  const RunValueVerdict verdict = judgeRunEntry(ctx.os, keyPath, name, s.currentFilePath);
  if (verdict == RunValueVerdict::Keep) return false;
  if (verdict == RunValueVerdict::RemoveByFullPath) rememberRunValue(s, name);
  if (!deleteRegistryValue(ctx.os, keyPath, name)) return false;
  if (verdict == RunValueVerdict::RemoveByBareName) rememberRunValue(s, name);
  reportRemoved(ctx, kRunValueFamily);
  return true;
}

// A value name that matched through the wide calls is remembered only where its ANSI spelling
// names that very value.
void rememberWideRunValue(ScanContext& ctx, const std::u16string& name) {
  const std::string ansi = ansiRendering(ctx.os, name);
  if (widened(ctx.os, ansi) == name) rememberRunValue(ctx.session, ansi.c_str());
}

// removeIfItStartsTheFile on the registry's wide text, for a file that only the wide calls reach.
bool removeIfItStartsTheWideFile(ScanContext& ctx, const char* keyPath,
                                 const std::u16string& name) {
  const RunValueVerdict verdict =
      judgeRunEntry(ctx.os, keyPath, name.c_str(), ctx.session.currentWidePath);
  if (verdict == RunValueVerdict::Keep) return false;
  if (verdict == RunValueVerdict::RemoveByFullPath) rememberWideRunValue(ctx, name);
  if (!deleteRegistryValueWide(ctx.os, keyPath, name.c_str())) return false;
  if (verdict == RunValueVerdict::RemoveByBareName) rememberWideRunValue(ctx, name);
  reportRemoved(ctx, kRunValueFamily);
  return true;
}

void removeWideRunEntries(ScanContext& ctx, const char* keyPath) {
  const std::u16string& path = ctx.session.currentWidePath;
  std::unique_ptr<RegistryKey> key;
  if (ctx.os.openMachineKey(keyPath, kKeyRead, key) != 0) return;
  std::uint32_t count = 0;
  if (key->valueCount(count) != 0) return;
  if (path.find(u'\\') == std::u16string::npos) return;

  std::u16string name(kValueNameCapacity, u'\0');
  std::uint32_t deleted = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t nameLength = kValueNameCapacity;
    if (key->enumValueNameWide(i - deleted, name.data(), &nameLength) != 0) continue;
    if (removeIfItStartsTheWideFile(ctx, keyPath, name.substr(0, nameLength))) ++deleted;
  }
}

// Reads a value of an open key and, when its data contains marker, deletes it. False when a
// registry call failed.
bool removeValueContaining(RegistryKey& key, const char* valueName, const char* marker) {
  char data[kUninstallDataCapacity];
  if (readValueText(key, valueName, data, sizeof data) != 0) return false;
  return !std::strstr(data, marker) || key.deleteValue(valueName) == 0;
}

bool cleanKey(Platform& os, const char* keyPath, const char* valueName, const char* marker) {
  std::unique_ptr<RegistryKey> key;
  if (os.openMachineKey(keyPath, kKeyAllAccess, key) != 0) return false;
  if (!removeValueContaining(*key, valueName, marker)) return false;
  return key->close() == 0;
}

}  // namespace

RunValueVerdict judgeRunEntry(Platform& os, const char* keyPath, const char* name,
                              const char* filePath) {
  char data[kRunDataCapacity];
  if (!readRegistryString(os, keyPath, name, data, sizeof data)) return RunValueVerdict::Keep;
  char expanded[kExpandedCapacity];
  const std::uint32_t needed = os.expandEnvironmentStrings(data, expanded, sizeof expanded);
  if (needed == 0 || needed > sizeof expanded) return RunValueVerdict::Keep;
  return judgeRunValue(data, expanded, filePath);
}

RunValueVerdict judgeRunEntry(Platform& os, const char* keyPath, const char16_t* name,
                              std::u16string_view filePath) {
  std::u16string data;
  if (!readRegistryStringWide(os, keyPath, name, data, kWideCommandCapacity)) {
    return RunValueVerdict::Keep;
  }
  std::u16string expanded(kWideCommandCapacity, u'\0');
  const std::uint32_t needed =
      os.expandEnvironmentStringsWide(data.c_str(), expanded.data(), kWideCommandCapacity);
  if (needed == 0 || needed > kWideCommandCapacity) return RunValueVerdict::Keep;
  expanded.resize(std::char_traits<char16_t>::length(expanded.c_str()));
  return judgeRunValue(data, expanded, filePath);
}

int removeRegistryTraces(ScanContext& ctx, const char* detectionName) {
  ScanSession& s = ctx.session;
  checkHostsFile(ctx);
  if (s.rememberedRunValue[0] != '\0') {
    for (const char* keyPath : {kRunKey, kRunServicesKey, kUninstallKey}) {
      if (deleteRegistryValue(ctx.os, keyPath, s.rememberedRunValue)) {
        reportRemoved(ctx, detectionName);
      }
    }
  }
  if (s.currentFilePath[0] != '\0') {
    removeRunEntries(ctx, kRunKey);
    removeRunEntries(ctx, kRunServicesKey);
  }
  return 1;
}

void removeRunEntries(ScanContext& ctx, const char* keyPath) {
  const ScanSession& s = ctx.session;
  // A file that only the wide calls reach is named whole only by the registry's wide text.
  if (!s.currentWidePath.empty()) {
    removeWideRunEntries(ctx, keyPath);
    return;
  }
  std::unique_ptr<RegistryKey> key;
  if (ctx.os.openMachineKey(keyPath, kKeyRead, key) != 0) return;
  std::uint32_t count = 0;
  if (key->valueCount(count) != 0) return;
  // Without a file name in the path there is nothing to look for.
  if (!std::strrchr(s.currentFilePath, '\\')) return;

  auto name = std::make_unique<char[]>(kValueNameCapacity);
  std::uint32_t deleted = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    // Each deletion moves the later values down by one position.
    std::uint32_t nameLength = kValueNameCapacity;
    if (key->enumValueName(i - deleted, name.get(), &nameLength) != 0) continue;
    if (removeIfItStartsTheFile(ctx, keyPath, name.get())) ++deleted;
  }
}

int removeUninstallEntry(ScanContext& ctx) {
  if (!cleanKey(ctx.os, kMalwareUninstallKey, "UninstallString", "uninstall.exe")) return 0;
  return cleanKey(ctx.os, kMalwareRunKey, "SMrhcjg7j0e38v", "rhcjg7j0e38v.exe") ? 1 : 0;
}

}  // namespace vs
