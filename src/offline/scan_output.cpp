#include "offline/scan_output.h"

#include <algorithm>

#include "offline/report_json.h"
#include "platform/volumes/host_names.h"

namespace vs::offline {
namespace {

// Redrawing the line for every entry would cost more than visiting it.
constexpr std::chrono::milliseconds kProgressInterval{100};

std::string byteCount(std::uint64_t bytes) {
  const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
  return text;
}

std::string partitionAsText(const PartitionPlace& place) {
  if (place.partition == 0) return place.image;
  return "partition " + std::to_string(place.partition) + " of " + place.image + " at byte " +
         std::to_string(place.offset);
}

// Where a finding inside a disk image lies, for the end of its text line.
std::string whereAsText(const FindingDetails& where) {
  std::string text = "  [";
  if (!where.key.empty()) text += where.key + " \"" + where.value + "\" in " + where.hive + "; ";
  text += where.image + ", partition at byte " + std::to_string(where.offset);
  if (where.inode) text += ", inode " + std::to_string(*where.inode);
  return text + "]";
}

}  // namespace

ScanOutput::ScanOutput(const ScanSession& session, bool json, std::FILE* report,
                       std::FILE* progress)
    : session_(session), json_(json), report_(report), progress_(progress) {}

void ScanOutput::onWindowMessage(std::uint32_t message) {
  if (message == kStatusMsgAddLine) {
    reportLine(lineText().c_str());
  } else if (message == kStatusMsgNotScanned) {
    notScanned(lineText());
  } else if (message == kStatusMsgSetText) {
    // The walk sends the entry it is at; once the statistics are out, the final status follows.
    if (session_.statisticsShown) {
      finalStatus(session_.statusText);
    } else {
      showProgress();
    }
  }
}

// A line about a file that only the wide calls reach holds its path as this host spells it.
std::string ScanOutput::lineText() const {
  const std::u16string& wide = session_.reportLineWide;
  return wide.empty() ? std::string(session_.reportLine) : volumes::hostNameFromWide(wide);
}

void ScanOutput::notScanned(const std::string& line) {
  static const std::string kTail = "     Not scanned";
  const std::string path = line.substr(0, line.size() - std::min(line.size(), kTail.size()));
  const std::string reason = "its path is longer than this system's calls take";
  ownRecord("Skipped  " + path + ": " + reason, skippedFolderAsJson(path, {}, reason));
}

void ScanOutput::notice(const std::string& text) {
  eraseProgress();
  std::fprintf(stderr, "vantoscan: %s\n", text.c_str());
}

void ScanOutput::detailFindings(FileDetailsSource files, RegistryDetailsSource registry) {
  fileDetails_ = std::move(files);
  registryDetails_ = std::move(registry);
}

void ScanOutput::ownRecord(const std::string& text, const std::string& json) {
  eraseProgress();
  std::fprintf(report_, "%s\n", json_ ? json.c_str() : text.c_str());
  std::fflush(report_);
}

void ScanOutput::driveMapped(char letter, const PartitionPlace& place,
                             const std::string& fileSystem) {
  ownRecord(
      std::string("Drive ") + letter + ":  " + partitionAsText(place) + " (" + fileSystem + ")",
      driveAsJson(letter, place, fileSystem));
}

void ScanOutput::partitionSkipped(const PartitionPlace& place, const std::string& reason,
                                  bool damage) {
  const std::string where =
      partitionAsText(place) + (place.type.empty() ? "" : " (" + place.type + ")");
  if (damage) {
    ownRecord("Skipped  " + where + ": " + reason, skippedPartitionAsJson(place, reason));
  } else {
    ownRecord("No file system  " + where, noFileSystemAsJson(place));
  }
}

void ScanOutput::partitionTruncated(const PartitionPlace& place) {
  ownRecord("Truncated  " + partitionAsText(place) +
                ": the image ends before it does; what lies beyond cannot be read",
            truncatedAsJson(place));
}

void ScanOutput::folderSkipped(const std::string& path, const FindingDetails& where,
                               const std::string& reason) {
  ownRecord("Skipped  " + path + whereAsText(where) + ": " + reason,
            skippedFolderAsJson(path, where, reason));
}

void ScanOutput::showProgress() {
  if (!progress_) return;
  const auto now = std::chrono::steady_clock::now();
  if (progressShown_ && now - lastProgress_ < kProgressInterval) return;
  lastProgress_ = now;
  if (bytesRead_) {
    std::fprintf(progress_, "\r\033[K%d files  %s read  %s", session_.filesScanned,
                 byteCount(bytesRead_()).c_str(), session_.statusText);
    std::fflush(progress_);
    progressShown_ = true;
    return;
  }
  std::fprintf(progress_, "\r\033[K%d files  %s", session_.filesScanned, session_.statusText);
  std::fflush(progress_);
  progressShown_ = true;
}

void ScanOutput::eraseProgress() {
  if (!progressShown_) return;
  std::fputs("\r\033[K", progress_);
  std::fflush(progress_);
  progressShown_ = false;
}

void ScanOutput::reportLine(const char* line) {
  eraseProgress();
  std::optional<FindingDetails> details;
  if (!session_.statisticsShown) {
    if (const std::optional<std::string> path = filePathOfLine(line); path && fileDetails_) {
      details = fileDetails_(*path);
    } else if (registryDetails_ && isRegistryLine(line)) {
      details = registryDetails_();
    }
  }
  if (!json_) {
    // A finding inside a disk image says where it lies; one on a mounted folder keeps the Windows
    // tool's line.
    const bool inImage = details && !details->image.empty();
    std::fprintf(report_, "%s%s\n", line, inImage ? whereAsText(*details).c_str() : "");
  } else if (!session_.statisticsShown) {
    // The statistics block goes out as one object with the final status.
    std::fprintf(report_, "%s\n", reportLineAsJson(line, details ? &*details : nullptr).c_str());
  }
  std::fflush(report_);
}

void ScanOutput::finalStatus(const char* text) {
  eraseProgress();
  if (json_) {
    std::fprintf(
        report_, "%s\n",
        statisticsAsJson(session_.filesScanned, session_.filesInfected, session_.filesRemoved)
            .c_str());
    std::fprintf(report_, "%s\n", statusAsJson(text).c_str());
  } else {
    std::fprintf(report_, "%s\n", text);
  }
  std::fflush(report_);
}

}  // namespace vs::offline
