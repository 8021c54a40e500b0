// Whole scan sessions on machines where the malware runs: the memory scan kills what it can see,
// the walk frees what it could not by killing its holder, and the registry is cleaned on the way.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/scan_driver.h"
#include "remediation_fixture.h"

namespace vs::test {
namespace {

const std::string kMemoryLine = "System Memory    W32/Talvorn.Trojan  removed";
const std::string kRunLine = "System Registry     W32/Talvorn.Trojan removed";

class RemediationSessionTest : public RemediationFixture {
 protected:
  RemediationSessionTest() { session.singleFileMode = 1; }  // as at program start

  bool reported(const std::string& line) const {
    return std::find(reportLines.begin(), reportLines.end(), line) != reportLines.end();
  }
};

TEST_F(RemediationSessionTest, RunningInfectionsAreKilledTheirFilesAndRunValuesRemoved) {
  os.versionInfo = kWindows7;
  // The account may not debug: the psapi listing cannot see the second program, which the walk
  // meets on its drive and frees by killing it through the performance data.
  os.heldPrivileges = {"SeShutdownPrivilege"};
  os.addFile("C:\\WINDOWS\\explorer.exe", clean());
  os.startProcess("C:\\WINDOWS\\explorer.exe");
  os.addFile("C:\\apps\\evil.exe", infected(1));
  const std::uint32_t seen = os.startProcess("C:\\apps\\evil.exe").id;
  os.addFile("D:\\tools\\held.exe", infected(2));
  sim::SimProcess& hidden = os.startProcess("D:\\tools\\held.exe");
  hidden.deniedAccess = kProcessQueryInformation | kProcessVmRead;
  const std::uint32_t hiddenId = hidden.id;
  os.addFile("D:\\notes.txt", "hello");
  os.registry.setString(kRun, "evil", "C:\\apps\\evil.exe");
  os.registry.setString(kRun, "held", "\"D:\\tools\\held.exe\" -min");
  os.registry.setString(kRun, "keep", "C:\\WINDOWS\\explorer.exe");

  EXPECT_EQ(runScanSession(ctx), 1);
  EXPECT_EQ(os.ended, (std::vector<std::uint32_t>{seen, hiddenId}));
  EXPECT_FALSE(os.exists("C:\\apps\\evil.exe"));
  EXPECT_FALSE(os.exists("D:\\tools\\held.exe"));
  EXPECT_TRUE(os.exists("D:\\notes.txt"));
  EXPECT_EQ(os.registry.valueNames(kRun), std::vector<std::string>{"keep"});

  const std::vector<std::string> head(reportLines.begin(), reportLines.begin() + 6);
  EXPECT_EQ(head, (std::vector<std::string>{
                      kRunLine, kMemoryLine, "C:\\apps\\evil.exe     W32/Talvorn.Trojan  removed",
                      kRunLine, "D:\\tools\\held.exe     " + name() + " removed", " "}));
  EXPECT_TRUE(reported("Total files infected\t\t:  2"));
  EXPECT_TRUE(reported("Total files removed\t\t:  2"));
  EXPECT_EQ(session.restartNeeded, 0);
  EXPECT_TRUE(os.plainMessageBoxes.empty());
  EXPECT_TRUE(os.messageBoxes.empty());
  EXPECT_EQ(statusTexts.back(), "Scanning completed");
}

TEST_F(RemediationSessionTest, AnInfectionThatCannotBeStoppedEndsTheRunBeforeAnyDriveIsWalked) {
  os.versionInfo = kWindowsXp;
  os.addFile("C:\\apps\\evil.exe", infected());
  os.startProcess("C:\\apps\\evil.exe").refuseTerminate = true;
  os.addFile("D:\\other.exe", infected(3));
  os.messageBoxAnswers = {2};  // Cancel: no restart now

  EXPECT_EQ(runScanSession(ctx), 1);
  EXPECT_EQ(os.exitCode, std::optional<unsigned>{0});
  EXPECT_TRUE(os.callsStartingWith("list D:\\*.*").empty());
  EXPECT_TRUE(os.callsStartingWith("driveType ").empty());
  EXPECT_TRUE(os.exists("D:\\other.exe"));
  EXPECT_FALSE(reported("Scanning statistics"));
  EXPECT_TRUE(os.restartRequests.empty());
}

}  // namespace
}  // namespace vs::test
