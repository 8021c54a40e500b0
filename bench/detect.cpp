// Detection only: walks a drive with the real matcher, prints each detected file's path relative
// to the drive's root, one per line, and a summary on standard error. Nothing is deleted.
//   natively:   detect [--bare] [--rounds N] FOLDER   (the folder becomes drive C: of the
//                                                      simulated machine)
//   on Windows: detect [--bare] [--rounds N] D:       (a drive of the real machine)
// With --bare it only enumerates the tree, each directory once, for the rate to compare with.
// With --rounds it repeats the work and reports the fastest round.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/matcher.h"
#include "engine/walk.h"

#ifdef _WIN32
#include <windows.h>
// psapi.h needs the types of windows.h.
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

// Each directory's listing is closed before its subdirectories are listed, as the walk does: under
// Wine that order is the faster one.
long enumerate(vs::Platform& os, const std::string& directory) {
  long entries = 0;
  std::vector<std::string> subdirectories;
  {
    auto listing = os.listDirectory((directory + "*.*").c_str());
    if (!listing) return 0;
    vs::DirectoryEntry entry;
    while (listing->next(entry)) {
      if (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0) continue;
      ++entries;
      if (entry.attributes & vs::kAttrDirectory) subdirectories.emplace_back(entry.name);
    }
  }
  for (const std::string& name : subdirectories) entries += enumerate(os, directory + name + "\\");
  return entries;
}

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
  bool bare = false;
  int rounds = 1;
  int arg = 1;
  for (; arg < argc - 1; ++arg) {
    if (std::strcmp(argv[arg], "--bare") == 0) {
      bare = true;
    } else if (std::strcmp(argv[arg], "--rounds") == 0 && arg + 1 < argc - 1) {
      rounds = std::atoi(argv[++arg]);
    } else {
      break;
    }
  }
  if (arg != argc - 1 || rounds < 1) {
    std::fprintf(stderr,
                 "usage: detect [--bare] [--rounds N] FOLDER (natively) | D: (on Windows)\n");
    return 2;
  }
  const char* where = argv[arg];
#ifdef _WIN32
  vs::Win32Platform os;
  const std::string root = std::string(where).substr(0, 2) + "\\";
#else
  vs::sim::SimMachine os;
  os.logCalls = false;
  os.addHostDrive('C', where);
  const std::string root = "C:\\";
#endif
  double best = 1e30;
  long entries = 0;
  int files = 0;
  for (int round = 0; round < rounds; ++round) {
    vs::ScanSession session;
    session.mainWindow = 0;
    session.singleFileMode = 0;
    vs::ScanContext ctx(os, session, kDetectOnly);
    detections.clear();
    const auto start = std::chrono::steady_clock::now();
    if (bare) {
      entries = enumerate(os, root);
    } else {
      vs::walkDirectory(ctx, (root + "*.*").c_str());
      files = session.filesScanned;
    }
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  if (bare) {
    std::fprintf(stderr, "entries %ld  seconds %.3f  entries/s %.0f  peak-kB %ld\n", entries, best,
                 entries / best, peakKilobytes());
    return 0;
  }
  for (const std::string& path : detections) {
    std::string relative = path.substr(root.size());
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    std::printf("%s\n", relative.c_str());
  }
  std::fprintf(stderr, "files %d  detected %zu  seconds %.3f  files/s %.0f  peak-kB %ld\n", files,
               detections.size(), best, files / best, peakKilobytes());
  return 0;
}
