// Detection only: walks a drive with the real matcher, prints each detected file's path relative
// to the drive's root, one per line, and a summary on standard error. Nothing is deleted.
//   natively:   detect FOLDER   (the folder becomes drive C: of the simulated machine)
//   on Windows: detect D:       (a drive of the real machine)
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/matcher.h"
#include "engine/walk.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>

#include "platform/win32/win32_platform.h"
#else
#include <sys/resource.h>

#include "platform/sim/sim_machine.h"
#endif

namespace {

std::vector<std::string> detections;

int detectOnly(vs::ScanContext& ctx, const char*, const char* path) {
  if (vs::examineFile(ctx.os, path, ctx.listedSize, nullptr) < 0) return 0;
  detections.emplace_back(path);
  return 1;
}

const vs::DetectorEntry kDetectOnly[] = {{vs::kFamilyName, detectOnly}, {nullptr, nullptr}};

long peakKilobytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: detect FOLDER (natively) | detect D: (on Windows)\n");
    return 2;
  }
#ifdef _WIN32
  vs::Win32Platform os;
  const std::string root = std::string(argv[1]).substr(0, 2) + "\\";
#else
  vs::sim::SimMachine os;
  os.logCalls = false;
  os.addHostDrive('C', argv[1]);
  const std::string root = "C:\\";
#endif
  vs::ScanSession session;
  session.mainWindow = 0;
  session.singleFileMode = 0;
  vs::ScanContext ctx(os, session, kDetectOnly);

  const auto start = std::chrono::steady_clock::now();
  vs::walkDirectory(ctx, (root + "*.*").c_str());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  for (const std::string& path : detections) {
    std::string relative = path.substr(root.size());
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    std::printf("%s\n", relative.c_str());
  }
  std::fprintf(stderr, "files %d  detected %zu  seconds %.3f  files/s %.0f  peak-kB %ld\n",
               session.filesScanned, detections.size(), seconds, session.filesScanned / seconds,
               peakKilobytes());
  return 0;
}
