// Deletion at the next start: the road of each system family, and wininit.ini edited so that it
// either gains exactly the one entry or keeps its earlier content, whatever fails.
#include "remediation/deferred_delete.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "platform/sim/sim_machine.h"

namespace vs::test {
namespace {

constexpr const char* kWininit = "C:\\WINDOWS\\wininit.ini";
constexpr const char* kCopy = "C:\\WINDOWS\\TEMP\\wininit.ini";
constexpr const char* kEntry = "NUL=C:\\NEW.EXE\r\n";

class DeferredDeleteTest : public ::testing::Test {
 protected:
  DeferredDeleteTest() {
    os.versionInfo = VersionInfo{kPlatformWin32Windows, 4, 10};
    os.addDirectory("C:\\WINDOWS\\TEMP");
  }

  std::string wininit() const {
    const sim::Node* node = os.find(kWininit);
    return node ? node->content : "<none>";
  }

  sim::SimMachine os;
};

struct Case {
  const char* what;
  std::string before;
  std::string after;
};

std::vector<Case> cases() {
  const std::string longLine = std::string(647, 'x') + "[not a header]\r\n";
  return {
      {"empty file", "", std::string("[rename]\r\n") + kEntry},
      {"section in the middle", "[boot]\r\nA=1\r\n[rename]\r\nNUL=C:\\OLD.EXE\r\n[x]\r\nB=2\r\n",
       std::string("[boot]\r\nA=1\r\n[rename]\r\nNUL=C:\\OLD.EXE\r\n") + kEntry + "[x]\r\nB=2\r\n"},
      {"section last", "[boot]\r\n[rename]\r\nNUL=C:\\OLD.EXE\r\n",
       std::string("[boot]\r\n[rename]\r\nNUL=C:\\OLD.EXE\r\n") + kEntry},
      {"no section", "[boot]\r\nA=1\r\n", std::string("[boot]\r\nA=1\r\n[rename]\r\n") + kEntry},
      {"header in capitals", "[RENAME]\r\n[x]\r\n",
       std::string("[RENAME]\r\n") + kEntry + "[x]\r\n"},
      {"header in mixed case", "[ReNaMe]\r\n", std::string("[ReNaMe]\r\n") + kEntry},
      {"last line without a line end", "[rename]\r\nNUL=C:\\OLD.EXE",
       std::string("[rename]\r\nNUL=C:\\OLD.EXE\r\n") + kEntry},
      {"no section, last line without a line end", "[boot]",
       std::string("[boot]\r\n[rename]\r\n") + kEntry},
      {"line feeds only", "[rename]\nA=B\n[x]\n",
       std::string("[rename]\nA=B\n") + kEntry + "[x]\n"},
      {"zero bytes are kept", std::string("[rename]\r\nA=\0B\r\n[x]\r\n", 21),
       std::string("[rename]\r\nA=\0B\r\n", 16) + kEntry + "[x]\r\n"},
      {"a long line's later piece is no header", "[rename]\r\n" + longLine + "[x]\r\n",
       "[rename]\r\n" + longLine + kEntry + "[x]\r\n"},
      {"a second rename section ends the first", "[rename]\r\nA=B\r\n[rename]\r\n",
       std::string("[rename]\r\nA=B\r\n") + kEntry + "[rename]\r\n"},
  };
}

TEST_F(DeferredDeleteTest, EntryBecomesTheLastLineOfTheRenameSection) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    sim::SimMachine machine;
    machine.addDirectory("C:\\WINDOWS\\TEMP");
    machine.addFile(kWininit, c.before);
    EXPECT_EQ(addWininitRenameEntry(machine, "NUL", "C:\\NEW.EXE"), 1);
    EXPECT_EQ(machine.find(kWininit)->content, c.after);
    // The copy that was read stays in the temporary folder.
    ASSERT_TRUE(machine.exists(kCopy));
    EXPECT_EQ(machine.find(kCopy)->content, c.before);
  }
}

TEST_F(DeferredDeleteTest, MissingWininitIsCreatedWithTheSectionAndTheShortPath) {
  os.addFile("C:\\Program Files\\Evil Tools\\evil.exe", "MZ");
  os.find("C:\\Program Files")->shortName = "PROGRA~1";
  os.find("C:\\Program Files\\Evil Tools")->shortName = "EVILTO~1";
  EXPECT_EQ(scheduleDeleteAtRestart(os, "C:\\Program Files\\Evil Tools\\evil.exe"), 1);
  EXPECT_EQ(wininit(), "[rename]\r\nNUL=C:\\PROGRA~1\\EVILTO~1\\evil.exe\r\n");
  EXPECT_TRUE(os.pendingDeletes.empty());
}

TEST_F(DeferredDeleteTest, SecondCallAddsASecondEntryAfterTheFirst) {
  os.addFile(kWininit, "[boot]\r\n[rename]\r\n[x]\r\n");
  EXPECT_EQ(addWininitRenameEntry(os, "NUL", "C:\\ONE.EXE"), 1);
  EXPECT_EQ(addWininitRenameEntry(os, "NUL", "C:\\TWO.EXE"), 1);
  EXPECT_EQ(wininit(), "[boot]\r\n[rename]\r\nNUL=C:\\ONE.EXE\r\nNUL=C:\\TWO.EXE\r\n[x]\r\n");
}

TEST_F(DeferredDeleteTest, WininitKeepsItsContentWhateverFails) {
  const std::string before = "[boot]\r\nA=1\r\n[rename]\r\nNUL=C:\\OLD.EXE\r\n[x]\r\nB=2\r\n";
  struct Failure {
    const char* what;
    std::function<void(sim::SimMachine&)> arrange;
  };
  const Failure failures[] = {
      {"the copy fails", [](sim::SimMachine& m) { m.copyError = kErrorAccessDenied; }},
      {"no temporary folder", [](sim::SimMachine& m) { m.tempDirectoryPath = "C:\\NOWHERE\\"; }},
      {"the copy cannot be read", [](sim::SimMachine& m) { m.addFile(kCopy, "").denyOpen = true; }},
      {"wininit.ini cannot be opened for writing",
       [](sim::SimMachine& m) { m.find(kWininit)->denyWrite = true; }},
      {"the disk fills during the rewrite",
       [&](sim::SimMachine& m) { m.freeSpace = before.size() + 5; }},
      {"the disk is already full after the copy",
       [&](sim::SimMachine& m) { m.freeSpace = before.size(); }},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.what);
    sim::SimMachine machine;
    machine.addDirectory("C:\\WINDOWS\\TEMP");
    machine.addFile(kWininit, before);
    f.arrange(machine);
    EXPECT_EQ(addWininitRenameEntry(machine, "NUL", "C:\\NEW.EXE"), 0);
    EXPECT_EQ(machine.find(kWininit)->content, before);
  }
}

TEST_F(DeferredDeleteTest, ANewWininitThatCannotBeWrittenWholeIsRemovedAgain) {
  os.freeSpace = 12;
  EXPECT_EQ(addWininitRenameEntry(os, "NUL", "C:\\NEW.EXE"), 0);
  EXPECT_FALSE(os.exists(kWininit));
  os.windowsDirectoryPath = "C:\\NOWHERE";
  os.freeSpace = UINT64_MAX;
  EXPECT_EQ(addWininitRenameEntry(os, "NUL", "C:\\NEW.EXE"), 0);
  os.windowsDirectoryPath = "";
  EXPECT_EQ(addWininitRenameEntry(os, "NUL", "C:\\NEW.EXE"), 0);
}

TEST_F(DeferredDeleteTest, WithoutAShortPathNothingIsWritten) {
  // The file vanished after the failed deletion: the system gives no short path for it.
  EXPECT_EQ(scheduleDeleteAtRestart(os, "C:\\gone.exe"), 0);
  EXPECT_EQ(wininit(), "<none>");
}

TEST_F(DeferredDeleteTest, EachFamilyTakesItsRoad) {
  struct Road {
    const char* what;
    std::optional<VersionInfo> version;
    std::uint32_t rebootRequestError;
    int result;
    bool listed;
    bool wininitWritten;
  };
  const Road roads[] = {
      {"9x line", VersionInfo{kPlatformWin32Windows, 4, 10}, 0, 1, false, true},
      {"NT line", VersionInfo{kPlatformWin32Nt, 5, 1}, 0, 1, true, false},
      {"NT line, request refused", VersionInfo{kPlatformWin32Nt, 6, 1}, kErrorAccessDenied, 0,
       false, false},
      {"other platform", VersionInfo{kPlatformWin32s, 3, 10}, 0, 0, false, false},
      {"version unknown", std::nullopt, 0, 0, false, false},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.what);
    sim::SimMachine machine;
    machine.addDirectory("C:\\WINDOWS\\TEMP");
    machine.addFile("C:\\Apps\\locked.exe", "MZ");
    machine.versionInfo = road.version;
    machine.deleteAtRebootError = road.rebootRequestError;
    EXPECT_EQ(scheduleDeleteAtRestart(machine, "C:\\Apps\\locked.exe"), road.result);
    EXPECT_EQ(machine.pendingDeletes.size(), road.listed ? 1u : 0u);
    EXPECT_EQ(machine.exists(kWininit), road.wininitWritten);
    if (road.listed) {
      EXPECT_EQ(machine.pendingDeletes[0], "C:\\Apps\\locked.exe");
    }
  }
}

}  // namespace
}  // namespace vs::test
