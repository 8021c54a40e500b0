// Scan rate on the simulated machine with drive C: backed by a host folder, beside the rate of a
// bare enumeration of the same tree through the same listing.
//   bench_scan TREE [ROUNDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/walk.h"
#include "platform/sim/sim_machine.h"

namespace {

using Clock = std::chrono::steady_clock;

long enumerate(vs::Platform& os, const std::string& directory) {
  long entries = 0;
  auto listing = os.listDirectory((directory + "\\*.*").c_str());
  if (!listing) return 0;
  vs::DirectoryEntry entry;
  while (listing->next(entry)) {
    if (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0) continue;
    ++entries;
    if (entry.attributes & vs::kAttrDirectory) entries += enumerate(os, directory + "\\" + entry.name);
  }
  return entries;
}

double seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_scan TREE [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  vs::sim::SimMachine os;
  os.logCalls = false;
  os.addHostDrive('C', argv[1]);

  double bare = 1e9, scan = 1e9;
  long entries = 0;
  int files = 0, infected = 0;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    entries = enumerate(os, "C:");
    bare = std::min(bare, seconds(start));

    vs::ScanSession session;
    session.mainWindow = 1;
    session.singleFileMode = 0;
    vs::ScanContext ctx(os, session);
    start = Clock::now();
    vs::walkDirectory(ctx, "C:\\*.*");
    scan = std::min(scan, seconds(start));
    files = session.filesScanned;
    infected = session.filesInfected;
  }
  std::printf("native  entries %ld  files %d  infected %d\n", entries, files, infected);
  std::printf("native  bare enumeration  %10.0f entries/s  (%.3f s)\n", entries / bare, bare);
  std::printf("native  scan              %10.0f entries/s  (%.3f s)  %.0f files/s\n",
              entries / scan, scan, files / scan);
  std::printf("native  scan / bare       %10.2f\n", bare / scan);
  return 0;
}
