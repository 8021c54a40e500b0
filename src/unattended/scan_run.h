// One run of the tool as its command line asks for it: the scan's mode, the report file, the
// answers to the engine's questions when nobody watches, and the exit code that tells whoever
// started the run how it went.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "engine/scan_mode.h"
#include "engine/scan_session.h"
#include "unattended/command_line.h"
#include "unattended/report_file.h"

namespace vs::unattended {

class ScanRun {
 public:
  ScanRun(CommandLine commandLine, ScanSession& session)
      : commandLine_(std::move(commandLine)), session_(session) {}

  const CommandLine& commandLine() const { return commandLine_; }
  bool silent() const { return commandLine_.silent; }
  ScanMode mode() const { return commandLine_.detect ? ScanMode::DetectOnly : ScanMode::Remove; }

  // Creates the report file when the command line names one. False when it cannot be created:
  // then nothing may be scanned or changed.
  bool openReport(Platform& os);
  // A report file was asked for and is not complete: a write failed.
  bool reportIncomplete() const { return report_ && report_->failed(); }

  // What the engine sends, asks and requests, as the run's machine hands it over.
  void onStatusMessage(std::uint32_t message);
  // The answer to a question of the engine when nobody watches: a restart only when the command
  // line allows it; every other question (the cancel question) is answered no.
  int answerUnattended(const char* text, unsigned type) const;
  // The whole scan on the calling thread with no window, over a context whose machine hands the
  // engine's messages to this run. Returns the exit code.
  int runSilent(ScanContext& ctx);

  // The exit code for the run as it stands.
  int exitCode() const;

 private:
  CommandLine commandLine_;
  ScanSession& session_;
  std::unique_ptr<ReportFile> report_;
};

}  // namespace vs::unattended
