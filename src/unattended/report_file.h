// The report file: the lines of the report list, line for line, in UTF-8 with CR LF line ends,
// so that whoever started the tool on many machines can collect them. Each line is written the
// moment the engine reports it, so a run that ends early leaves every line it showed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "engine/scan_session.h"

namespace vs::unattended {

class ReportFile {
 public:
  // Creates the file, or empties it when it exists, and writes the UTF-8 byte-order mark that
  // tells readers on Windows the text's encoding. Null when that cannot be done; os.lastError()
  // then tells why.
  static std::unique_ptr<ReportFile> create(Platform& os, const char* path);

  // Writes a text of the ANSI code page and its CR LF. A text that cannot be converted goes out
  // as it is. After a write that failed or fell short nothing more is written: what was written
  // stays, and failed() tells that the file is incomplete.
  void writeLine(const char* text);
  // A StatusChannel message the engine sent: a report line (as the system shows it: a line about a
  // file that only the wide calls reach in its wide text), an entry the walk could not examine,
  // or, once the statistics block is out, the final status. The status texts of the walk are not
  // part of the report.
  void take(const ScanSession& session, std::uint32_t message);

  bool failed() const { return failed_; }

 private:
  ReportFile(Platform& os, std::unique_ptr<WritableFile> file) : os_(os), file_(std::move(file)) {}
  bool writeBytes(const std::string& bytes);

  Platform& os_;
  std::unique_ptr<WritableFile> file_;
  bool failed_ = false;
};

}  // namespace vs::unattended
