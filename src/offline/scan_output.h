// The main window's part for the offline scan: the report on standard output (its own text, or
// JSON lines), and on a terminal a progress line with the number of files scanned and the entry
// the walk is at, shortened as the window's status line shows it.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/scan_session.h"

namespace vs::offline {

class ScanOutput {
 public:
  // progress: where the progress line goes, or null for none.
  ScanOutput(const ScanSession& session, bool json, std::FILE* report, std::FILE* progress);

  // A message the engine sent to the main window (the StatusChannel).
  void onWindowMessage(std::uint32_t message);
  // A remark for the user (on standard error) beside the report.
  void notice(const std::string& text);

 private:
  void showProgress();
  void eraseProgress();
  void reportLine(const char* line);
  void finalStatus(const char* text);

  const ScanSession& session_;
  bool json_;
  std::FILE* report_;
  std::FILE* progress_;
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastProgress_{};
};

}  // namespace vs::offline
