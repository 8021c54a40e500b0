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
