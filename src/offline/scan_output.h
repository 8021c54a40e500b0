// The main window's part for the offline scan: the report on standard output (its own text, or
// JSON lines), and on a terminal a progress line with the number of files scanned (and the bytes
// of disk images read) and the entry the walk is at, shortened as the window's status line shows
// it. A scan of disk images opens its report with the drives found and what was skipped.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/scan_session.h"
#include "offline/report_json.h"

namespace vs::offline {

class ScanOutput {
 public:
  // progress: where the progress line goes, or null for none.
  ScanOutput(const ScanSession& session, bool json, std::FILE* report, std::FILE* progress);

  // A message the engine sent to the main window (the StatusChannel).
  void onWindowMessage(std::uint32_t message);
  // A remark for the user (on standard error) beside the report.
  void notice(const std::string& text);

  // Where the details of findings come from: a file's by its Windows path, a registry line's
  // from the value last found.
  using FileDetailsSource = std::function<FindingDetails(const std::string& path)>;
  using RegistryDetailsSource = std::function<FindingDetails()>;
  void detailFindings(FileDetailsSource files, RegistryDetailsSource registry);
  // The bytes of disk images read so far, for the progress line.
  void countImageBytes(std::function<std::uint64_t()> bytesRead) {
    bytesRead_ = std::move(bytesRead);
  }

  // The records that open a scan of disk images, and folders skipped during it.
  void driveMapped(char letter, const PartitionPlace& place, const std::string& fileSystem);
  void partitionSkipped(const PartitionPlace& place, const std::string& reason, bool damage);
  void partitionTruncated(const PartitionPlace& place);
  void folderSkipped(const std::string& path, const FindingDetails& where,
                     const std::string& reason);

 private:
  void showProgress();
  void eraseProgress();
  void reportLine(const char* line);
  // The report line the engine sent, as this host spells its names.
  std::string lineText() const;
  // An entry the walk could not examine: on this host, only for the length of its path.
  void notScanned(const std::string& line);
  void finalStatus(const char* text);
  // A line of the report's own (not from the engine): its text, or its JSON object.
  void ownRecord(const std::string& text, const std::string& json);

  const ScanSession& session_;
  bool json_;
  std::FILE* report_;
  std::FILE* progress_;
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastProgress_{};
  FileDetailsSource fileDetails_;
  RegistryDetailsSource registryDetails_;
  std::function<std::uint64_t()> bytesRead_;
};

}  // namespace vs::offline
