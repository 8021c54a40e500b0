#include "offline/image_scan.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "offline/image_drives.h"
#include "offline/image_hive.h"
#include "offline/offline_scan.h"
#include "offline/registry_judgement.h"

namespace vs::offline {
namespace {

constexpr int kExitClean = 0;
constexpr int kExitInfected = 1;
constexpr int kExitError = 2;

std::string windowsPath(char letter, const volumes::VolumePath& path) {
  std::string text{letter, ':'};
  for (const std::string& name : path) text += "\\" + name;
  return path.empty() ? text + "\\" : text;
}

}  // namespace

int scanImages(const std::vector<std::string>& paths, linux_host::LinuxPlatform& os,
               ScanSession& session, ScanOutput& output, FindingLocator& locator) {
  // The Sleuth Kit turns every FAT time stamp into a time with mktime, which, while TZ is unset,
  // looks at /etc/localtime again on every call (a third of a FAT scan's time went there). Naming
  // the same zone lets the C library read it once; the report holds no times.
  setenv("TZ", ":/etc/localtime", 0);
  ImageDrives images;
  std::string error;
  const bool opened = images.open(paths, os.drives(), error);
  bool incomplete = false;
  for (const ImageDrive& drive : images.drives()) {
    output.driveMapped(drive.letter, drive.place, drive.fileSystem);
    if (drive.truncated) {
      output.partitionTruncated(drive.place);
      incomplete = true;
    }
    locator.addImageDrive(drive.letter, *drive.volume);
    drive.volume->onDamage([&output, &incomplete, &drive](const volumes::VolumePath& path,
                                                          std::uint64_t address,
                                                          const std::string& what) {
      FindingDetails where;
      where.image = drive.place.image;
      where.offset = drive.place.offset;
      where.inode = address;
      output.folderSkipped(windowsPath(drive.letter, path), where, what);
      incomplete = true;
    });
  }
  for (const SkippedPartition& skipped : images.skipped()) {
    output.partitionSkipped(skipped.place, skipped.reason, skipped.damage);
    if (skipped.damage) incomplete = true;
  }
  if (!opened) {
    output.notice(error);
    return kExitError;
  }
  output.countImageBytes([&images] { return images.bytesRead(); });

  std::unique_ptr<linux_host::SoftwareHive> hive;
  if (const std::optional<ImageInstallation>& installation = images.installation()) {
    os.setInstallation({installation->windowsFolder, installation->systemFolder, std::string()});
    const std::string hivePath = installation->systemFolder + "\\config\\SOFTWARE";
    image::ImageVolume& system = *images.drives().front().volume;
    std::uint32_t code = 0;
    if (!system.exists(installation->hive, code)) {
      output.notice("no SOFTWARE hive in " + installation->systemFolder +
                    "\\config: the registry is not judged");
    } else if ((hive = loadHiveFromVolume(
                    system, installation->hive,
                    [&output](const std::string& text) { output.notice(text); }, error))) {
      os.setSoftwareHive(hive.get());
      locator.setHive(hivePath);
    } else {
      output.notice(hivePath + " " + error + ": the registry is not judged");
      incomplete = true;
    }
  } else {
    output.notice("no Windows folder with System32 found: the registry is not judged");
  }

  RegistryJudgingDetector detector([&locator](const std::string& key, const std::string& value) {
    locator.registryValue(key, value);
  });
  output.detailFindings([&locator](const std::string& path) { return locator.fileDetails(path); },
                        [&locator] { return locator.registryDetails(); });
  runOfflineScan(os, session, detector.table());

  if (std::ferror(stdout) || std::fflush(stdout) != 0) {
    output.notice("cannot write the report");
    return kExitError;
  }
  if (session.cancelRequested || incomplete) return kExitError;
  return session.filesInfected > 0 ? kExitInfected : kExitClean;
}

}  // namespace vs::offline
