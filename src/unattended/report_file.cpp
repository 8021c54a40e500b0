#include "unattended/report_file.h"

#include <cstring>

#include "platform/utf16_text.h"

namespace vs::unattended {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The ANSI text in UTF-8; the text as it is when the system cannot convert it. A character of
// the ANSI code page is never more than one UTF-16 unit, so the text's length in bytes bounds
// the conversion.
std::string toUtf8(Platform& os, const char* text) {
  const auto length = static_cast<int>(std::strlen(text));
  if (length == 0) return {};
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  const int units = os.ansiToWide(text, length, wide.data(), length);
  if (units <= 0) return text;
  return utf16ToUtf8(wide.data(), static_cast<std::size_t>(units));
}

}  // namespace

std::unique_ptr<ReportFile> ReportFile::create(Platform& os, const char* path) {
  std::unique_ptr<WritableFile> file = os.openForWriting(path, WriteMode::CreateOrReplace);
  if (!file) return nullptr;
  std::unique_ptr<ReportFile> report(new ReportFile(os, std::move(file)));
  if (!report->writeBytes(kByteOrderMark)) return nullptr;
  return report;
}

void ReportFile::writeLine(const char* text) {
  writeBytes(toUtf8(os_, text) + "\r\n");
}

void ReportFile::take(const ScanSession& session, std::uint32_t message) {
  // The window's list does not show what the walk could not examine; the report names it.
  if (message == kStatusMsgAddLine || message == kStatusMsgNotScanned) {
    if (session.reportLineWide.empty()) {
      writeLine(session.reportLine);
    } else {
      const std::u16string& wide = session.reportLineWide;
      writeBytes(utf16ToUtf8(wide.data(), wide.size()) + "\r\n");
    }
  } else if (message == kStatusMsgSetText && session.statisticsShown) {
    writeLine(session.statusText);
  }
}

bool ReportFile::writeBytes(const std::string& bytes) {
  if (failed_) return false;
  const auto wanted = static_cast<std::int32_t>(bytes.size());
  if (file_->write(bytes.data(), static_cast<std::uint32_t>(bytes.size())) != wanted) {
    failed_ = true;
  }
  return !failed_;
}

}  // namespace vs::unattended
