// vantoscan: the offline scan of a Windows installation mounted on a Linux system. See usageText()
// for the command line and the exit status.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/exit_code.h"
#include "offline/command_line.h"
#include "offline/finding_details.h"
#include "offline/image_scan.h"
#include "offline/offline_scan.h"
#include "offline/scan_output.h"
#include "platform/linux/linux_platform.h"
#include "platform/volumes/mounted_volume.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

// The first Ctrl-C ends the scan after the entry at hand, with the statistics; a second one ends
// the program at once.
void onInterrupt(int signal) {
  interrupted = 1;
  std::signal(signal, SIG_DFL);
}

int failWith(const std::string& text) {
  std::fprintf(stderr, "vantoscan: %s\n", text.c_str());
  return vs::kExitCouldNotRun;
}

bool mountDrives(const vs::offline::Options& options, vs::volumes::DriveTable& drives,
                 std::vector<vs::volumes::MountedVolume*>& mounted, std::string& error) {
  for (const vs::offline::DriveMapping& drive : options.drives) {
    auto volume = vs::volumes::MountedVolume::open(drive.folder);
    if (!volume) {
      error = "cannot open " + drive.folder + " as a volume: " + std::strerror(errno);
      return false;
    }
    mounted.push_back(volume.get());
    drives.add(drive.letter, std::move(volume));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  vs::offline::Options options;
  std::string error;
  if (!vs::offline::parseCommandLine(argc, argv, options, error)) {
    return failWith(error + " (vantoscan --help tells more)");
  }
  if (options.help) {
    std::fputs(vs::offline::usageText(), stdout);
    return 0;
  }

  vs::ScanSession session;
  vs::offline::ScanOutput output(session, options.json, stdout,
                                 isatty(STDERR_FILENO) ? stderr : nullptr);
  vs::linux_host::LinuxPlatform os([&](std::uint32_t message) { output.onWindowMessage(message); },
                                   &interrupted);
  // Every infected file's report line gets its digest, taken before the scan may delete it.
  vs::offline::FindingLocator locator(os);
  os.witnessDeletions([&locator](const char* path) { locator.beforeDeletion(path); });
  output.detailFindings([&locator](const std::string& path) { return locator.fileDetails(path); },
                        nullptr);
  if (!options.images.empty()) {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    return vs::offline::scanImages(options.images, os, session, output, locator);
  }

  vs::volumes::DriveTable& drives = os.drives();
  std::vector<vs::volumes::MountedVolume*> mounted;
  if (!mountDrives(options, drives, mounted, error)) return failWith(error);

  const std::optional<vs::linux_host::WindowsInstallation> installation =
      vs::linux_host::findWindowsInstallation(drives);
  std::unique_ptr<vs::linux_host::SoftwareHive> hive;
  if (options.remove) {
    for (std::size_t i = 0; i < mounted.size(); ++i) {
      if (mounted[i]->readOnly()) {
        const vs::offline::DriveMapping& drive = options.drives[i];
        output.notice(std::string(1, drive.letter) + ": (" + drive.folder +
                      ") is mounted read-only: nothing on it can be removed");
      }
    }
    // A hive that cannot be read ends the run before anything is changed.
    if (installation) {
      hive = vs::linux_host::SoftwareHive::open(
          installation->hivePath, [&](const std::string& text) { output.notice(text); }, error);
      if (!hive) return failWith(error);
      // The copy of the hive this run saves is no part of the system being scanned: the walk
      // does not see it, so the report counts what the Windows tool would count.
      for (vs::volumes::MountedVolume* volume : mounted) {
        volume->hide([&hive](dev_t device, ino_t inode) { return hive->isCopy(device, inode); });
      }
    } else {
      output.notice("no Windows folder with a SOFTWARE hive found: the registry is not cleaned");
    }
  }

  if (installation) os.setInstallation(*installation);
  os.setSoftwareHive(hive.get());

  std::signal(SIGINT, onInterrupt);
  std::signal(SIGTERM, onInterrupt);
  const vs::ScanMode mode = options.remove ? vs::ScanMode::Remove : vs::ScanMode::DetectOnly;
  vs::offline::runOfflineScan(os, session, mode);

  if (std::ferror(stdout) || std::fflush(stdout) != 0) return failWith("cannot write the report");
  return vs::scanExitCode(session, mode);
}
