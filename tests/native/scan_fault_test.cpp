// Faults in the middle of whole scan sessions: a deletion the system refuses, a program that cannot
// be opened, registry keys that deny access, a service that never stops, the window closed or the
// program told to quit mid-scan. Each scan ends with its statistics and final status, and nothing
// is left half-done: every deleted file and value has its line, wininit.ini is whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "engine/scan_driver.h"
#include "remediation_fixture.h"

namespace vs::test {
namespace {

const std::string kRunLine = "System Registry     W32/Talvorn.Trojan removed";
const std::string kWininit = "C:\\WINDOWS\\wininit.ini";
const std::string kOldWininit = "[rename]\r\nNUL=C:\\OLD.EXE\r\n[other]\r\nx=y\r\n";

class ScanFaultTest : public RemediationFixture {
 protected:
  ScanFaultTest() { session.singleFileMode = 1; }  // as at program start

  int count(const std::string& line) const {
    return static_cast<int>(std::count(reportLines.begin(), reportLines.end(), line));
  }
  std::string removedLine(const std::string& path) const {
    return path + "     " + name() + " removed";
  }
  std::string unableLine(const std::string& path) const {
    return path + "     " + name() + " Unable to remove";
  }
  // The statistics block ends the report with these counts.
  void expectStatistics(int scanned, int infected, int removed) const {
    ASSERT_GE(reportLines.size(), 3u);
    const std::vector<std::string> tail(reportLines.end() - 3, reportLines.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"Total files scanned\t\t:  " + std::to_string(scanned),
                                        "Total files infected\t\t:  " + std::to_string(infected),
                                        "Total files removed\t\t:  " + std::to_string(removed)}));
  }
  bool restartAsked() const {
    return std::any_of(os.messageBoxes.begin(), os.messageBoxes.end(),
                       [](const sim::MessageBoxCall& box) { return box.text == kRestartQuestion; });
  }
};

TEST_F(ScanFaultTest, ARefusedDeletionIsReportedAndLeftForTheNextStartWhereTheSystemAllows) {
  struct Case {
    const char* what;
    VersionInfo version;
    std::uint32_t rebootError;
    std::uint64_t freeSpace;
    bool scheduled;
  };
  const Case cases[] = {
      {"NT: the system's list", kWindowsXp, 0, UINT64_MAX, true},
      {"NT: the system refuses the request", kWindowsXp, kErrorAccessDenied, UINT64_MAX, false},
      {"9x: wininit.ini", kWindows98, 0, UINT64_MAX, true},
      // Room for the temporary copy of wininit.ini, not for the new entry as well.
      {"9x: the disk fills while wininit.ini is written", kWindows98, 0, kOldWininit.size() + 10,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScanRig rig;
    sim::SimMachine& machine = rig.os;
    ScanSession& state = rig.session;
    state.singleFileMode = 1;  // as at program start
    ScanContext& context = rig.ctx;
    const std::vector<std::string>& lines = rig.reportLines;
    machine.versionInfo = c.version;
    machine.deleteAtRebootError = c.rebootError;
    machine.addFile("C:\\a\\stuck.exe", infected(1)).deleteError = kErrorAccessDenied;
    machine.addFile("C:\\a\\loose.exe", infected(2));
    machine.addFile(kWininit, kOldWininit);
    machine.addDirectory("C:\\WINDOWS\\TEMP");
    machine.freeSpace = c.freeSpace;

    EXPECT_EQ(runScanSession(context), 1);
    EXPECT_TRUE(machine.exists("C:\\a\\stuck.exe"));
    EXPECT_FALSE(machine.exists("C:\\a\\loose.exe"));
    const std::vector<std::string> fileLines(lines.begin(), lines.begin() + 2);
    EXPECT_EQ(fileLines, (std::vector<std::string>{unableLine("C:\\a\\stuck.exe"),
                                                   removedLine("C:\\a\\loose.exe")}));
    EXPECT_EQ(lines.back(), "Total files removed\t\t:  1");
    EXPECT_EQ(state.restartNeeded, c.scheduled ? 1 : 0);
    EXPECT_EQ(machine.messageBoxes.size(), c.scheduled ? 1u : 0u);
    // wininit.ini holds the old lines and, only when the request was made, the new entry.
    const std::string wininit = machine.find(kWininit)->content;
    if (c.version.platformId == kPlatformWin32Windows && c.scheduled) {
      EXPECT_EQ(wininit,
                "[rename]\r\nNUL=C:\\OLD.EXE\r\nNUL=C:\\a\\stuck.exe\r\n[other]\r\nx=y\r\n");
    } else {
      EXPECT_EQ(wininit, kOldWininit);
    }
  }
}

TEST_F(ScanFaultTest, AProgramThatCannotBeOpenedIsPassedOverAndItsImageLeftForTheNextStart) {
  os.versionInfo = kWindowsXp;
  os.addFile("C:\\apps\\evil.exe", infected());
  sim::SimProcess& evil = os.startProcess("C:\\apps\\evil.exe");
  evil.protectedAccess = kProcessQueryInformation | kProcessVmRead | kProcessTerminate;
  const std::uint32_t id = evil.id;

  EXPECT_EQ(runScanSession(ctx), 1);
  EXPECT_NE(os.process(id), nullptr);
  EXPECT_TRUE(os.exists("C:\\apps\\evil.exe"));
  EXPECT_EQ(count(unableLine("C:\\apps\\evil.exe")), 1);
  EXPECT_EQ(os.pendingDeletes, std::vector<std::string>{"C:\\apps\\evil.exe"});
  expectStatistics(1, 1, 0);
  EXPECT_EQ(statusTexts.back(), "Scanning completed");
  EXPECT_TRUE(restartAsked());
}

TEST_F(ScanFaultTest, RegistryKeysThatDenyAccessKeepTheirValuesAndEveryDeletedValueHasItsLine) {
  os.addFile("C:\\apps\\evil.exe", infected());
  os.registry.setString(kRun, "unwritable", "C:\\apps\\evil.exe");
  os.registry.findKey(kRun)->denyWrite = true;
  os.registry.setString(kRunServices, "writable", "C:\\apps\\evil.exe /service");
  os.registry.setString(kUninstall, "UninstallString", "C:\\x\\uninstall.exe");
  os.registry.findKey(kUninstall)->denyOpen = true;

  EXPECT_EQ(runScanSession(ctx), 1);
  EXPECT_FALSE(os.exists("C:\\apps\\evil.exe"));
  EXPECT_TRUE(os.registry.hasValue(kRun, "unwritable"));
  EXPECT_FALSE(os.registry.hasValue(kRunServices, "writable"));
  EXPECT_TRUE(os.registry.hasValue(kUninstall, "UninstallString"));
  EXPECT_EQ(count(kRunLine), 1);
  EXPECT_EQ(count(removedLine("C:\\apps\\evil.exe")), 1);
  expectStatistics(1, 1, 1);
  EXPECT_EQ(statusTexts.back(), "Scanning completed");
}

// The remembered value goes from a key that then fails to close: gone is gone, so the user is told.
TEST_F(ScanFaultTest, AValueDeletedFromAKeyThatFailsToCloseIsStillReported) {
  os.addFile("C:\\apps\\one.exe", infected(1));
  os.addFile("C:\\apps\\two.exe", infected(2));
  os.registry.setString(kRunServices, "svc", "C:\\apps\\one.exe");
  os.registry.setString(kRun, "svc", "C:\\elsewhere\\svc.exe");
  os.registry.findKey(kRun)->closeError = 6;  // ERROR_INVALID_HANDLE

  EXPECT_EQ(runScanSession(ctx), 1);
  EXPECT_FALSE(os.registry.hasValue(kRunServices, "svc"));
  EXPECT_FALSE(os.registry.hasValue(kRun, "svc"));
  EXPECT_EQ(count(kRunLine), 1);
  EXPECT_EQ(count("System Registry     " + name() + " removed"), 1);
  expectStatistics(2, 2, 2);
}

TEST_F(ScanFaultTest, AServiceThatNeverStopsHoldsTheScanForABoundedTime) {
  os.versionInfo = kWindowsXp;
  os.addFile("C:\\apps\\evil.exe", infected());
  sim::SimProcess& evil = os.startProcess("C:\\apps\\evil.exe");
  evil.refuseTerminate = true;
  os.services = {{"evil", kServiceRunning, evil.id, 0, true}};
  os.messageBoxAnswers = {2};  // no restart now

  EXPECT_EQ(runScanSession(ctx), 1);
  const unsigned waited = std::accumulate(os.sleeps.begin(), os.sleeps.end(), 0u);
  EXPECT_EQ(std::count(os.sleeps.begin(), os.sleeps.end(), 1000u), 30);
  EXPECT_LT(waited, 40000u);
  // The program cannot go on while the malware runs: it ends, offering the restart.
  EXPECT_EQ(os.exitCode, std::optional<unsigned>{0});
  EXPECT_TRUE(os.exists("C:\\apps\\evil.exe"));
}

TEST_F(ScanFaultTest, ACancelMidScanEndsTheWalkBetweenTwoFilesAndStillReports) {
  struct Case {
    const char* what;
    std::uint32_t message;
    std::uintptr_t wParam;
    int answer;
  };
  const Case cases[] = {
      {"the window is destroyed", kMsgDestroy, 0, kIdNo},
      {"the program is told to quit", kMsgQuit, 0, kIdNo},
      {"Escape, answered Yes", 0x0100, 27, kIdYes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScanRig rig;
    sim::SimMachine& machine = rig.os;
    ScanSession& state = rig.session;
    state.singleFileMode = 1;  // as at program start
    ScanContext& context = rig.ctx;
    const std::vector<std::string>& lines = rig.reportLines;
    const std::vector<std::string>& statuses = rig.statusTexts;
    rig.onMessage = [&](std::uint32_t message) {
      if (message == kStatusMsgSetText && statuses.back() == "C:\\a2.exe") {
        machine.queue.push_back({1, c.message, c.wParam, 0});
      }
    };
    machine.messageBoxAnswers = {c.answer};
    for (int i = 1; i <= 3; ++i) {
      machine.addFile("C:\\a" + std::to_string(i) + ".exe",
                      infected(static_cast<std::uint32_t>(i)));
      machine.registry.setString(kRun, "a" + std::to_string(i),
                                 "C:\\a" + std::to_string(i) + ".exe");
    }
    machine.addFile("D:\\d.exe", infected(4));

    EXPECT_EQ(runScanSession(context), 1);
    // The file in hand when the message came was finished; nothing after it was opened.
    EXPECT_FALSE(machine.exists("C:\\a1.exe"));
    EXPECT_FALSE(machine.exists("C:\\a2.exe"));
    EXPECT_TRUE(machine.exists("C:\\a3.exe"));
    EXPECT_TRUE(machine.exists("D:\\d.exe"));
    EXPECT_TRUE(machine.callsStartingWith("open C:\\a3.exe").empty());
    EXPECT_TRUE(machine.callsStartingWith("open D:").empty());
    EXPECT_EQ(machine.registry.valueNames(kRun), std::vector<std::string>{"a3"});
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kRunLine), 2);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                              return line.ends_with(" removed") && line.rfind("C:\\a", 0) == 0;
                            }),
              2);
    EXPECT_EQ(lines.back(), "Total files removed\t\t:  2");
    EXPECT_EQ(statuses.back(), "Scanning terminated");
    EXPECT_EQ(state.cancelRequested, 1);
  }
}

// The cancel comes while the memory scan tests an infected program: the program, once killed,
// still loses its image with both lines, and then the scan stops.
TEST_F(ScanFaultTest, ACancelDuringTheMemoryScanStillDisposesOfAKilledProgramsImage) {
  os.versionInfo = kWindowsXp;
  os.addFile("C:\\apps\\evil.exe", infected());
  const std::uint32_t evil = os.startProcess("C:\\apps\\evil.exe").id;
  os.addFile("C:\\apps\\later.exe", infected(2));
  onMessage = [this](std::uint32_t message) {
    if (message == kStatusMsgSetText && statusTexts.size() == 1) {
      os.queue.push_back({1, kMsgQuit, 0, 0});
    }
  };

  EXPECT_EQ(runScanSession(ctx), 1);
  EXPECT_EQ(os.ended, std::vector<std::uint32_t>{evil});
  EXPECT_FALSE(os.exists("C:\\apps\\evil.exe"));
  EXPECT_EQ(count("System Memory    W32/Talvorn.Trojan  removed"), 1);
  EXPECT_EQ(count("C:\\apps\\evil.exe     W32/Talvorn.Trojan  removed"), 1);
  EXPECT_TRUE(os.exists("C:\\apps\\later.exe"));
  expectStatistics(0, 1, 1);
  EXPECT_EQ(statusTexts.back(), "Scanning terminated");
}

}  // namespace
}  // namespace vs::test
