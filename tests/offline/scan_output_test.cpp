// The report and the progress line.
#include "offline/scan_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/text.h"

namespace vs::offline {
namespace {

// A stream kept in memory.
class MemoryStream {
 public:
  MemoryStream() : stream_(open_memstream(&buffer_, &size_)) {}
  ~MemoryStream() {
    std::fclose(stream_);
    std::free(buffer_);
  }
  std::FILE* get() { return stream_; }
  std::string text() {
    std::fflush(stream_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* stream_;
};

class ScanOutputTest : public ::testing::Test {
 protected:
  void status(const char* text) {
    copyText(session.statusText, sizeof session.statusText, text);
    output.onWindowMessage(kStatusMsgSetText);
  }
  void line(const char* text) {
    copyText(session.reportLine, sizeof session.reportLine, text);
    output.onWindowMessage(kStatusMsgAddLine);
  }

  ScanSession session;
  MemoryStream report;
  MemoryStream progress;
  ScanOutput output{session, false, report.get(), progress.get()};
};

TEST_F(ScanOutputTest, ProgressLineGivesWayToEveryReportLine) {
  session.filesScanned = 41;
  status("C:\\WINDOWS\\x.exe");
  status("C:\\WINDOWS\\y.exe");  // within the interval: not drawn
  line("C:\\WINDOWS\\x.exe     W32/Talvorn.Cgx.Trojan removed");
  session.statisticsShown = 1;
  line("Scanning statistics");
  status("Scanning completed");

  EXPECT_EQ(progress.text(), "\r\033[K41 files  C:\\WINDOWS\\x.exe\r\033[K");
  EXPECT_EQ(report.text(),
            "C:\\WINDOWS\\x.exe     W32/Talvorn.Cgx.Trojan removed\nScanning statistics\n"
            "Scanning completed\n");
}

TEST(ScanOutputJsonTest, StatisticsComeAsOneObjectWithTheStatus) {
  ScanSession session;
  MemoryStream report;
  ScanOutput output(session, true, report.get(), nullptr);
  copyText(session.statusText, sizeof session.statusText, "C:\\x.exe");
  output.onWindowMessage(kStatusMsgSetText);
  session.statisticsShown = 1;
  session.filesScanned = 3;
  copyText(session.reportLine, sizeof session.reportLine, "Scanning statistics");
  output.onWindowMessage(kStatusMsgAddLine);
  copyText(session.statusText, sizeof session.statusText, "Scanning completed");
  output.onWindowMessage(kStatusMsgSetText);

  EXPECT_EQ(
      report.text(),
      "{\"type\":\"statistics\",\"files_scanned\":3,\"files_infected\":0,\"files_removed\":0}\n"
      "{\"type\":\"status\",\"text\":\"Scanning completed\"}\n");
}

}  // namespace
}  // namespace vs::offline
