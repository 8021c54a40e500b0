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

// A scan of disk images: the bytes read on the progress line, and where each finding lies at the
// end of its line.
TEST_F(ScanOutputTest, ImageFindingsSayWhereTheyLie) {
  output.countImageBytes([] { return std::uint64_t{3} << 20; });
  output.detailFindings(
      [](const std::string& path) {
        FindingDetails details;
        details.sha256 = "ab12";
        details.image = "disk.raw";
        details.offset = 1048576;
        details.inode = path == "C:\\x.exe" ? 64 : 65;
        return details;
      },
      nullptr);
  session.filesScanned = 7;
  status("C:\\x.exe");
  line("C:\\x.exe     W32/Talvorn.Cgx.Trojan detected");
  output.driveMapped('D', {"disk.raw", 1, 512, "Win95 FAT32 (0x0c)"}, "fat32");
  output.partitionSkipped({"disk.raw", 3, 4096, "Linux (0x83)"}, "no file system", true);

  EXPECT_EQ(progress.text(), "\r\033[K7 files  3.0 MiB read  C:\\x.exe\r\033[K");
  EXPECT_EQ(report.text(),
            "C:\\x.exe     W32/Talvorn.Cgx.Trojan detected  [disk.raw, partition at byte 1048576, "
            "inode 64]\n"
            "Drive D:  partition 1 of disk.raw at byte 512 (fat32)\n"
            "Skipped  partition 3 of disk.raw at byte 4096 (Linux (0x83)): no file system\n");
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
