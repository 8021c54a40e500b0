// This host's names and the wide calls' UTF-16: every name a Linux file system may hold survives
// the way there and back, so that the wide calls reach the very file the listing named.
#include "platform/volumes/host_names.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/utf16_text.h"

namespace vs::test {
namespace {

using volumes::hostNameFromWide;
using volumes::wideFromHostName;

struct HostName {
  const char* what;
  std::string host;
  std::u16string wide;
};

TEST(HostNames, EveryNameSurvivesTheWayThereAndBack) {
  const HostName names[] = {
      {"ASCII", "plain.exe", u"plain.exe"},
      {"Chinese", "\xE4\xB8\xAD\xE6\x96\x87.exe", u"\u4E2D\u6587.exe"},
      {"beyond the first plane", "\xF0\x9F\x98\x80.exe", u"\U0001F600.exe"},
      // Bytes that are no UTF-8 are carried one by one in lone low surrogates.
      {"Latin-1 bytes", "caf\xE9.exe", u"caf\xDCE9.exe"},
      {"an over-long form", "\xC0\xAF", u"\xDCC0\xDCAF"},
      {"a cut sequence", "\xE4\xB8", u"\xDCE4\xDCB8"},
  };
  for (const HostName& name : names) {
    SCOPED_TRACE(name.what);
    EXPECT_EQ(wideFromHostName(name.host), name.wide);
    EXPECT_EQ(hostNameFromWide(name.wide), name.host);
  }
}

TEST(HostNames, SurrogatesThatNameNothingHereBecomeTheReplacementCharacter) {
  EXPECT_EQ(hostNameFromWide(u"a\xD800"
                             u"b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(hostNameFromWide(u"\xDC10"), "\xEF\xBF\xBD");
  // The system's own conversion replaces what is no UTF-8.
  const std::string broken =
      "a\xFF"
      "b";
  EXPECT_EQ(utf8ToUtf16(broken.data(), broken.size()), u"a\uFFFDb");
}

}  // namespace
}  // namespace vs::test
