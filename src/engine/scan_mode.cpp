#include "engine/scan_mode.h"

#include <string>

#include "engine/matcher.h"
#include "engine/status_channel.h"
#include "engine/walk.h"
#include "platform/windows_text.h"

namespace vs {
namespace {

const DetectorEntry kDetectOnlyTable[] = {{kFamilyName, detectWithoutChange}, {nullptr, nullptr}};

// The memory scan names an image by the path its program was started with, the walk by the
// listing's spelling: the two may differ in letter case only.
bool alreadyReported(const ScanSession& s, const TargetFile& file) {
  if (file.wide()) {
    for (const std::u16string& image : s.runningWideImagesDetected) {
      if (equalsIgnoringCase(image, file.widePath)) return true;
    }
    return false;
  }
  for (const std::string& image : s.runningImagesDetected) {
    if (equalsIgnoringCase(image.c_str(), file.path)) return true;
  }
  return false;
}

}  // namespace

int detectWithoutChange(ScanContext& ctx, const char*, const char* path) {
  ScanSession& s = ctx.session;
  const TargetFile file(path, ctx.widePath);
  if (alreadyReported(s, file)) return 0;
  const int index = examineFile(ctx.os, file, ctx.listedSize, nullptr);
  if (index < 0) return 0;
  s.filesInfected += 1;
  // Only the memory scan tests files in single-file mode: the file is a running program's image.
  if (s.singleFileMode) {
    if (file.wide()) {
      s.runningWideImagesDetected.emplace_back(file.widePath);
    } else {
      s.runningImagesDetected.emplace_back(path);
    }
  }
  sendFileLine(ctx, file, kSignatureTable[index].name, "detected");
  return 1;
}

const DetectorEntry* detectorTableFor(ScanMode mode) {
  return mode == ScanMode::Remove ? kDetectorTable : kDetectOnlyTable;
}

}  // namespace vs
