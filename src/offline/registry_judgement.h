// The detector of a scan that changes nothing but judges the registry as well (the scan of a disk
// image): for every infected file it reports, as "System Registry     %s detected", each value
// that the Windows tool would delete after detecting that file, by the same rules and in the same
// order (the value remembered from an earlier finding in the Run, RunServices and uninstall keys,
// then the Run and RunServices values that start the file), and then the file as "%s     %s
// detected". A value is reported once, as the Windows tool deletes it once. The hosts file is not
// examined. Only one such detector is in use at a time: the walk's detector table holds plain
// functions, which find it while it lives.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "engine/target_file.h"
#include "engine/walk.h"

namespace vs::offline {

class RegistryJudgingDetector {
 public:
  // Told of each value found, with its key below HKEY_LOCAL_MACHINE, just before its line is sent.
  using ValueFound = std::function<void(const std::string& key, const std::string& value)>;

  explicit RegistryJudgingDetector(ValueFound valueFound);
  ~RegistryJudgingDetector();
  RegistryJudgingDetector(const RegistryJudgingDetector&) = delete;
  RegistryJudgingDetector& operator=(const RegistryJudgingDetector&) = delete;

  // The walk's detector table.
  const DetectorEntry* table() const;

 private:
  static int detect(ScanContext& ctx, const char* familyName, const char* path);
  void judgeRegistry(ScanContext& ctx, const TargetFile& file, const char* detectionName);
  // Reports a value of a key once; false when it was reported before.
  bool report(ScanContext& ctx, const char* keyPath, const std::string& name,
              const char* detectionName);
  void judgeRunKey(ScanContext& ctx, const char* keyPath, const char* path);
  // The same on the registry's wide text, for a file that only the wide calls reach.
  void judgeWideRunKey(ScanContext& ctx, const char* keyPath, const std::u16string& path);
  // A value the rules would delete: reported once, and remembered as the Windows tool would.
  void found(ScanContext& ctx, const char* keyPath, const std::string& name);

  ValueFound valueFound_;
  std::string remembered_;
  std::set<std::string> reported_;
};

}  // namespace vs::offline
