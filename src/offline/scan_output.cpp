#include "offline/scan_output.h"

#include "offline/report_json.h"

namespace vs::offline {
namespace {

// Redrawing the line for every entry would cost more than visiting it.
constexpr std::chrono::milliseconds kProgressInterval{100};

}  // namespace

ScanOutput::ScanOutput(const ScanSession& session, bool json, std::FILE* report,
                       std::FILE* progress)
    : session_(session), json_(json), report_(report), progress_(progress) {}

void ScanOutput::onWindowMessage(std::uint32_t message) {
  if (message == kStatusMsgAddLine) {
    reportLine(session_.reportLine);
  } else if (message == kStatusMsgSetText) {
    // The walk sends the entry it is at; once the statistics are out, the final status follows.
    if (session_.statisticsShown) {
      finalStatus(session_.statusText);
    } else {
      showProgress();
    }
  }
}

void ScanOutput::notice(const std::string& text) {
  eraseProgress();
  std::fprintf(stderr, "vantoscan: %s\n", text.c_str());
}

void ScanOutput::showProgress() {
  if (!progress_) return;
  const auto now = std::chrono::steady_clock::now();
  if (progressShown_ && now - lastProgress_ < kProgressInterval) return;
  lastProgress_ = now;
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
  if (!json_) {
    std::fprintf(report_, "%s\n", line);
  } else if (!session_.statisticsShown) {
    // The statistics block goes out as one object with the final status.
    std::fprintf(report_, "%s\n", reportLineAsJson(line).c_str());
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
