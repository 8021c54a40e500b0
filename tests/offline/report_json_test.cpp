// Report lines in machine-readable form.
#include "offline/report_json.h"

#include <gtest/gtest.h>

namespace vs::offline {
namespace {

TEST(ReportJsonTest, LinesBecomeObjectsOfTheirKind) {
  const struct {
    const char* line;
    const char* json;
  } cases[] = {
      {"C:\\a b\\x.exe     W32/Talvorn.Cgx.Trojan removed",
       R"({"type":"file","path":"C:\\a b\\x.exe","detection":"W32/Talvorn.Cgx.Trojan","outcome":"removed","line":"C:\\a b\\x.exe     W32/Talvorn.Cgx.Trojan removed"})"},
      {"C:\\x.exe     W32/Talvorn.Ckk.Trojan Unable to remove",
       R"({"type":"file","path":"C:\\x.exe","detection":"W32/Talvorn.Ckk.Trojan","outcome":"unable_to_remove","line":"C:\\x.exe     W32/Talvorn.Ckk.Trojan Unable to remove"})"},
      // A path may hold five spaces; the name after the last run of them is the detection.
      {"C:\\odd     name.exe     W32/Talvorn.Ckk.Trojan detected",
       R"({"type":"file","path":"C:\\odd     name.exe","detection":"W32/Talvorn.Ckk.Trojan","outcome":"detected","line":"C:\\odd     name.exe     W32/Talvorn.Ckk.Trojan detected"})"},
      {"C:\\WINDOWS\\hosts     W32/Quarr.Worm Remove failed",
       R"({"type":"file","path":"C:\\WINDOWS\\hosts","detection":"W32/Quarr.Worm","outcome":"remove_failed","line":"C:\\WINDOWS\\hosts     W32/Quarr.Worm Remove failed"})"},
      {"System Registry     W32/Talvorn.Trojan removed",
       R"({"type":"registry","detection":"W32/Talvorn.Trojan","outcome":"removed","line":"System Registry     W32/Talvorn.Trojan removed"})"},
      {"something removed", R"({"type":"line","line":"something removed"})"},
      {"Total files scanned\t\t:  3", R"({"type":"line","line":"Total files scanned\t\t:  3"})"},
  };
  for (const auto& c : cases) EXPECT_EQ(reportLineAsJson(c.line), c.json) << c.line;
}

TEST(ReportJsonTest, FindingsCarryTheirDetailsAndImageScansTheirDrives) {
  FindingDetails file;
  file.sha256 = "ab12";
  file.image = "/cases/disk.E01";
  file.offset = 1048576;
  file.inode = 64;
  EXPECT_EQ(
      reportLineAsJson("C:\\x.exe     W32/Talvorn.Cgx.Trojan detected", &file),
      R"json({"type":"file","path":"C:\\x.exe","detection":"W32/Talvorn.Cgx.Trojan","outcome":"detected","sha256":"ab12","image":"/cases/disk.E01","offset":1048576,"inode":64,"line":"C:\\x.exe     W32/Talvorn.Cgx.Trojan detected"})json");
  // A file on a mounted folder has its digest only.
  FindingDetails mounted;
  mounted.sha256 = "ab12";
  EXPECT_EQ(
      reportLineAsJson("C:\\x.exe     W32/Talvorn.Cgx.Trojan removed", &mounted),
      R"json({"type":"file","path":"C:\\x.exe","detection":"W32/Talvorn.Cgx.Trojan","outcome":"removed","sha256":"ab12","line":"C:\\x.exe     W32/Talvorn.Cgx.Trojan removed"})json");
  FindingDetails value;
  value.hive = "C:\\WINDOWS\\system32\\config\\SOFTWARE";
  value.key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  value.value = "Updater";
  value.image = "disk.raw";
  value.offset = 512;
  value.inode = 7;
  EXPECT_EQ(
      reportLineAsJson("System Registry     W32/Talvorn.Trojan detected", &value),
      R"json({"type":"registry","detection":"W32/Talvorn.Trojan","outcome":"detected","hive":"C:\\WINDOWS\\system32\\config\\SOFTWARE","key":"Software\\Microsoft\\Windows\\CurrentVersion\\Run","value":"Updater","image":"disk.raw","offset":512,"inode":7,"line":"System Registry     W32/Talvorn.Trojan detected"})json");

  const PartitionPlace place{"disk.raw", 2, 1048576, "NTFS / exFAT (0x07)"};
  EXPECT_EQ(
      driveAsJson('C', place, "ntfs"),
      R"json({"type":"drive","drive":"C:","image":"disk.raw","partition":2,"offset":1048576,"file_system":"ntfs"})json");
  EXPECT_EQ(
      skippedPartitionAsJson(place, "no file system"),
      R"json({"type":"skipped","image":"disk.raw","partition":2,"offset":1048576,"partition_type":"NTFS / exFAT (0x07)","reason":"no file system"})json");
  EXPECT_EQ(filePathOfLine("C:\\a b\\x.exe     W32/Talvorn.Cgx.Trojan Unable to remove"),
            "C:\\a b\\x.exe");
  EXPECT_FALSE(filePathOfLine("System Registry     W32/Talvorn.Trojan removed"));
  EXPECT_FALSE(filePathOfLine("Total files scanned\t\t:  3"));
}

TEST(ReportJsonTest, StringsAreEscapedAndAlwaysValidUtf8) {
  EXPECT_EQ(jsonString("a\"b\\c\n\x01\x7f"), R"("a\"b\\c\n\u0001\u007f")");
  EXPECT_EQ(jsonString("C:\\Caf\xc3\xa9\\\xe2\x82\xac"), "\"C:\\\\Caf\xc3\xa9\\\\\xe2\x82\xac\"");
  // Bytes that are no UTF-8 (a Latin-1 name, a cut sequence, an encoded surrogate) are taken as
  // Latin-1 characters.
  EXPECT_EQ(jsonString("Caf\xe9"), R"("Caf\u00e9")");
  EXPECT_EQ(jsonString("\xe2\x82"), R"("\u00e2\u0082")");
  EXPECT_EQ(jsonString("\xed\xa0\x80"), R"("\u00ed\u00a0\u0080")");
}

TEST(ReportJsonTest, StatisticsAndStatus) {
  EXPECT_EQ(statisticsAsJson(12, 2, 1),
            R"({"type":"statistics","files_scanned":12,"files_infected":2,"files_removed":1})");
  EXPECT_EQ(statusAsJson("Scanning terminated"),
            R"({"type":"status","text":"Scanning terminated"})");
}

}  // namespace
}  // namespace vs::offline
