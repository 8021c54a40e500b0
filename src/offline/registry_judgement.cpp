#include "offline/registry_judgement.h"

#include <cctype>
#include <cstring>
#include <memory>

#include "engine/matcher.h"
#include "engine/status_channel.h"
#include "platform/utf16_text.h"
#include "remediation/registry_cleanup.h"

namespace vs::offline {
namespace {

RegistryJudgingDetector* active = nullptr;

bool valueExists(Platform& os, const char* keyPath, const char* name) {
  std::unique_ptr<RegistryKey> key;
  if (os.openMachineKey(keyPath, kKeyRead, key) != 0) return false;
  std::uint32_t size = 0;
  const bool found = key->queryValue(name, nullptr, nullptr, &size) == 0;
  key->close();
  return found;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

RegistryJudgingDetector::RegistryJudgingDetector(ValueFound valueFound)
    : valueFound_(std::move(valueFound)) {
  active = this;
}

RegistryJudgingDetector::~RegistryJudgingDetector() {
  if (active == this) active = nullptr;
}

const DetectorEntry* RegistryJudgingDetector::table() const {
  static const DetectorEntry table[] = {{kFamilyName, detect}, {nullptr, nullptr}};
  return table;
}

int RegistryJudgingDetector::detect(ScanContext& ctx, const char*, const char* path) {
  const TargetFile file(path, ctx.widePath);
  const int index = examineFile(ctx.os, file, ctx.listedSize, nullptr);
  if (index < 0 || !active) return 0;
  ctx.session.filesInfected += 1;
  active->judgeRegistry(ctx, file, kSignatureTable[index].name);
  sendFileLine(ctx, file, kSignatureTable[index].name, "detected");
  return 1;
}

bool RegistryJudgingDetector::report(ScanContext& ctx, const char* keyPath, const std::string& name,
                                     const char* detectionName) {
  if (!reported_.insert(upper(keyPath) + '\n' + upper(name)).second) return false;
  if (valueFound_) valueFound_(keyPath, name);
  sendReportLine(ctx, "System Registry     %s detected", detectionName);
  return true;
}

void RegistryJudgingDetector::judgeRegistry(ScanContext& ctx, const TargetFile& file,
                                            const char* detectionName) {
  if (!remembered_.empty()) {
    for (const char* keyPath : {kRunKey, kRunServicesKey, kUninstallKey}) {
      if (valueExists(ctx.os, keyPath, remembered_.c_str())) {
        report(ctx, keyPath, remembered_, detectionName);
      }
    }
  }
  for (const char* keyPath : {kRunKey, kRunServicesKey}) {
    if (file.wide()) {
      judgeWideRunKey(ctx, keyPath, file.widePath);
    } else {
      judgeRunKey(ctx, keyPath, file.path);
    }
  }
}

void RegistryJudgingDetector::found(ScanContext& ctx, const char* keyPath,
                                    const std::string& name) {
  if (!report(ctx, keyPath, name, kRunValueFamily)) return;
  // A name the Windows tool's buffer cannot hold whole is not remembered.
  if (name.size() < kRememberedRunValueCapacity) remembered_ = name;
}

void RegistryJudgingDetector::judgeWideRunKey(ScanContext& ctx, const char* keyPath,
                                              const std::u16string& path) {
  std::unique_ptr<RegistryKey> key;
  if (ctx.os.openMachineKey(keyPath, kKeyRead, key) != 0) return;
  std::uint32_t count = 0;
  if (key->valueCount(count) != 0 || path.find(u'\\') == std::u16string::npos) return;
  std::u16string name(kValueNameCapacity, u'\0');
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t nameLength = kValueNameCapacity;
    if (key->enumValueNameWide(i, name.data(), &nameLength) != 0) continue;
    const std::u16string valueName = name.substr(0, nameLength);
    if (judgeRunEntry(ctx.os, keyPath, valueName.c_str(), path) == RunValueVerdict::Keep) continue;
    // The hive's names are UTF-8 here, the code page of this host's names.
    found(ctx, keyPath, utf16ToUtf8(valueName.data(), valueName.size()));
  }
}

void RegistryJudgingDetector::judgeRunKey(ScanContext& ctx, const char* keyPath, const char* path) {
  std::unique_ptr<RegistryKey> key;
  if (ctx.os.openMachineKey(keyPath, kKeyRead, key) != 0) return;
  std::uint32_t count = 0;
  if (key->valueCount(count) != 0 || !std::strrchr(path, '\\')) return;
  auto name = std::make_unique<char[]>(kValueNameCapacity);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t nameLength = kValueNameCapacity;
    if (key->enumValueName(i, name.get(), &nameLength) != 0) continue;
    if (judgeRunEntry(ctx.os, keyPath, name.get(), path) == RunValueVerdict::Keep) continue;
    found(ctx, keyPath, name.get());
  }
}

}  // namespace vs::offline
