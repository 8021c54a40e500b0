// The system family and NT generation for every kind of version answer, and the restart on each
// road: at once on the 9x line, through the shutdown privilege elsewhere.
#include "remediation/system_family.h"

#include <gtest/gtest.h>

#include <optional>

#include "engine/scan_driver.h"
#include "engine_fixture.h"
#include "remediation/restart.h"

namespace vs::test {
namespace {

TEST(SystemFamily, FamilyAndGenerationForEveryVersion) {
  struct Row {
    const char* what;
    std::optional<VersionInfo> version;
    int family;
    int generation;
  };
  const Row rows[] = {
      {"Windows 95", VersionInfo{1, 4, 0}, FAMILY_WIN9X, NTGEN_NONE},
      {"Windows 98", VersionInfo{1, 4, 10}, FAMILY_WIN9X, NTGEN_NONE},
      {"Windows Me", VersionInfo{1, 4, 90}, FAMILY_WIN9X, NTGEN_NONE},
      {"NT 3.51", VersionInfo{2, 3, 51}, FAMILY_NT, NTGEN_NT4},
      {"NT 4.0", VersionInfo{2, 4, 0}, FAMILY_NT, NTGEN_NT4},
      {"2000", VersionInfo{2, 5, 0}, FAMILY_NT, NTGEN_NT5},
      {"XP", VersionInfo{2, 5, 1}, FAMILY_NT, NTGEN_NT5},
      {"Server 2003", VersionInfo{2, 5, 2}, FAMILY_NT, NTGEN_NT5},
      {"Vista", VersionInfo{2, 6, 0}, FAMILY_NT, NTGEN_NONE},
      {"7", VersionInfo{2, 6, 1}, FAMILY_NT, NTGEN_NONE},
      {"10", VersionInfo{2, 10, 0}, FAMILY_NT, NTGEN_NONE},
      {"major version above 2^31", VersionInfo{2, 0x80000000u, 0}, FAMILY_NT, NTGEN_NONE},
      {"Win32s", VersionInfo{0, 3, 10}, FAMILY_OTHER, NTGEN_NONE},
      {"Windows CE", VersionInfo{3, 4, 0}, FAMILY_OTHER, NTGEN_NONE},
      {"the query fails", std::nullopt, FAMILY_UNKNOWN, NTGEN_NONE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    sim::SimMachine os;
    os.versionInfo = row.version;
    EXPECT_EQ(getSystemFamily(os), row.family);
    EXPECT_EQ(getNtGeneration(os), row.generation);
  }
  // The numbers are part of the interface.
  EXPECT_EQ(FAMILY_WIN9X, 4);
  EXPECT_EQ(FAMILY_NT, 5);
  EXPECT_EQ(NTGEN_NT4, 5);
  EXPECT_EQ(NTGEN_NT5, 6);
}

TEST(Restart, EachRoad) {
  struct Row {
    const char* what;
    std::optional<VersionInfo> version;
    bool tokenOpenFails;
    bool holdsShutdownPrivilege;
    bool exitWindowsFails;
    int result;
    bool restartRequested;
    bool tokenOpened;
  };
  const Row rows[] = {
      {"9x line", VersionInfo{1, 4, 10}, true, false, false, 1, true, false},
      {"9x line, restart refused", VersionInfo{1, 4, 10}, false, true, true, 0, true, false},
      {"NT line", VersionInfo{2, 5, 1}, false, true, false, 1, true, true},
      {"NT line without the privilege", VersionInfo{2, 5, 0}, false, false, false, 1300, false,
       true},
      {"NT line, token cannot be opened", VersionInfo{2, 4, 0}, true, true, false, 0, false, true},
      {"NT line, restart refused", VersionInfo{2, 6, 1}, false, true, true, 0, true, true},
      {"Win32s takes the token road", VersionInfo{0, 3, 10}, false, true, false, 1, true, true},
      {"unknown version takes the token road", std::nullopt, false, true, false, 1, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    sim::SimMachine os;
    os.versionInfo = row.version;
    os.tokenOpenFails = row.tokenOpenFails;
    if (!row.holdsShutdownPrivilege) os.heldPrivileges = {"SeDebugPrivilege"};
    os.exitWindowsFails = row.exitWindowsFails;

    EXPECT_EQ(restartSystem(os), row.result);
    EXPECT_EQ(os.restartRequests,
              row.restartRequested ? std::vector<std::uint32_t>{6} : std::vector<std::uint32_t>{});
    EXPECT_EQ(os.callsStartingWith("openProcessToken ").size(), row.tokenOpened ? 1u : 0u);
    if (row.tokenOpened) {
      EXPECT_EQ(os.callsStartingWith("openProcessToken ")[0], "openProcessToken 0x28");
    }
    if (row.tokenOpenFails && row.tokenOpened) {
      EXPECT_TRUE(os.callsStartingWith("lookupPrivilegeValue ").empty());
    }
    if (row.result == 1 && row.tokenOpened) {
      EXPECT_EQ(os.enabledPrivileges, std::vector<std::string>{"SeShutdownPrivilege"});
    }
  }
}

class RestartQuestionTest : public EngineFixture {};

TEST_F(RestartQuestionTest, YesRestartsTheComputerNoLeavesItRunning) {
  os.addDrive('C');
  session.restartNeeded = 1;
  os.messageBoxAnswers = {kIdYes};
  runScanSession(ctx);
  EXPECT_EQ(os.restartRequests, std::vector<std::uint32_t>{6});

  sim::SimMachine other;
  ScanSession state;
  state.restartNeeded = 1;
  state.singleFileMode = 0;
  ScanContext context{other, state};
  other.messageBoxAnswers = {kIdNo};
  runScanSession(context);
  EXPECT_TRUE(other.restartRequests.empty());
  EXPECT_EQ(other.messageBoxes.size(), 1u);
}

}  // namespace
}  // namespace vs::test
