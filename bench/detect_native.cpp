// Detection only, natively: walks a host folder as drive C: of the simulated machine with the
// real matcher, prints each detected file's path relative to the folder, one per line, and a
// summary on standard error. Nothing is deleted.
//   detect_native FOLDER
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/matcher.h"
#include "engine/walk.h"
#include "platform/sim/sim_machine.h"

namespace {

std::vector<std::string> detections;

int detectOnly(vs::ScanContext& ctx, const char*, const char* path) {
  if (vs::examineFile(ctx.os, path, ctx.listedSize, nullptr) < 0) return 0;
  detections.emplace_back(path);
  return 1;
}

const vs::DetectorEntry kDetectOnly[] = {{vs::kFamilyName, detectOnly}, {nullptr, nullptr}};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: detect_native FOLDER\n");
    return 2;
  }
  vs::sim::SimMachine os;
  os.logCalls = false;
  os.addHostDrive('C', argv[1]);
  vs::ScanSession session;
  session.mainWindow = 1;
  session.singleFileMode = 0;
  vs::ScanContext ctx(os, session, kDetectOnly);

  const auto start = std::chrono::steady_clock::now();
  vs::walkDirectory(ctx, "C:\\*.*");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  for (const std::string& path : detections) {
    std::string relative = path.substr(3);  // past "C:\"
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    std::printf("%s\n", relative.c_str());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr, "files %d  detected %zu  seconds %.3f  files/s %.0f  peak-kB %ld\n",
               session.filesScanned, detections.size(), seconds, session.filesScanned / seconds,
               usage.ru_maxrss);
  return 0;
}
