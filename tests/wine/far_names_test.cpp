// Which names the real backend's listing hands to the wide calls: the system's own conversions
// decide whether a name survives the round trip through the ANSI code page, best-fit look-alikes
// included, which the simulated machine can only imitate.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"
#include "wine/scratch_disk.h"

namespace vs::test {
namespace {

struct NameCase {
  const wchar_t* name;
  const char* ansiName;  // as the listing gives it in code page 1252; null: not asserted
  bool lost;
};

// The code page of a prefix on an English system.
constexpr UINT kWesternCodePage = 1252;

TEST(FarNamesUnderWine, TheListingMarksNamesThatTheCodePageCannotSpell) {
  if (GetACP() != kWesternCodePage) {
    GTEST_SKIP() << "the table is written for code page 1252; this prefix has " << GetACP();
  }
  const NameCase cases[] = {
      {L"plain.exe", "plain.exe", false},
      // In the code page: the ANSI calls reach it by its ANSI name.
      {L"caf\u00e9.exe", "caf\xe9.exe", false},
      // A best-fit look-alike ("a"): the ANSI name would reach another file or none.
      {L"\u0101bc.exe", nullptr, true},
      // Both come out as "??.exe".
      {L"\u75c5\u6bd2.exe", "??.exe", true},
      {L"\u6587\u4ef6.exe", "??.exe", true},
      // The replacement character itself comes out as "?".
      {L"x\ufffd.exe", "x?.exe", true},
  };
  ScratchFolder dir;
  std::wstring folder(dir.path().begin(), dir.path().end());
  for (const NameCase& c : cases) {
    win32::FileHandle file(CreateFileW((folder + L"\\" + c.name).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid()) << "error " << GetLastError();
  }

  Win32Platform os;
  std::map<std::string, DirectoryEntry> byAnsiName;
  std::map<std::u16string, DirectoryEntry> byWideName;  // the lost names
  std::unique_ptr<DirectoryListing> listing = os.listDirectory((dir / "*.*").c_str());
  ASSERT_NE(listing, nullptr) << "error " << os.lastError();
  DirectoryEntry entry;
  std::size_t entries = 0;
  for (; listing->next(entry); ++entries) {
    if (entry.ansiNameLost) {
      byWideName[entry.wideName] = entry;
    } else {
      byAnsiName[entry.name] = entry;
    }
  }
  for (const NameCase& c : cases) {
    const std::u16string wide(reinterpret_cast<const char16_t*>(c.name));
    SCOPED_TRACE(c.ansiName ? c.ansiName : "the look-alike");
    if (c.lost) {
      ASSERT_EQ(byWideName.count(wide), 1u);
      if (c.ansiName) {
        EXPECT_STREQ(byWideName.at(wide).name, c.ansiName);
      }
    } else {
      ASSERT_EQ(byAnsiName.count(c.ansiName), 1u);
    }
  }
  EXPECT_EQ(entries, std::size(cases) + 2);  // and "." and ".."
  // The scratch folder is removed by the ANSI calls, which cannot reach these names.
  for (const NameCase& c : cases) DeleteFileW((folder + L"\\" + c.name).c_str());
}

}  // namespace
}  // namespace vs::test
