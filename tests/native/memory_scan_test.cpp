// The memory scan: infected running programs found through tool-help or psapi, killed, stopped as
// services where they cannot be killed, their images disposed of; and the end of the program when
// one of them survives everything.
#include <gtest/gtest.h>

#include "engine/matcher.h"
#include "remediation/process_scan.h"
#include "remediation_fixture.h"

namespace vs::test {
namespace {

constexpr const char* kEvil = "C:\\apps\\evil.exe";
const std::string kMemoryLine = "System Memory    W32/Talvorn.Trojan  removed";
const std::string kEvilRemoved = std::string(kEvil) + "     W32/Talvorn.Trojan  removed";
const std::string kRunLine = "System Registry     W32/Talvorn.Trojan removed";

class MemoryScanTest : public RemediationFixture {
 protected:
  MemoryScanTest() {
    session.singleFileMode = 1;  // as at program start
    os.versionInfo = kWindowsXp;
    os.addFile("C:\\WINDOWS\\explorer.exe", clean());
    explorer = os.startProcess("C:\\WINDOWS\\explorer.exe").id;
  }

  sim::SimProcess& runInfected(const std::string& path = kEvil) {
    os.addFile(path, infected());
    return os.startProcess(path);
  }

  std::uint32_t explorer = 0;
};

TEST_F(MemoryScanTest, AnInfectedProgramIsKilledAndItsImageDisposedOf) {
  const std::uint32_t evil = runInfected().id;
  os.registry.setString(kRun, "evil", "\"C:\\apps\\evil.exe\" /start");

  EXPECT_EQ(scanMemory(ctx), 1);
  EXPECT_EQ(os.ended, std::vector<std::uint32_t>{evil});
  EXPECT_FALSE(os.exists(kEvil));
  EXPECT_TRUE(os.exists("C:\\WINDOWS\\explorer.exe"));
  EXPECT_EQ(reportLines, (std::vector<std::string>{kRunLine, kMemoryLine, kEvilRemoved}));
  EXPECT_TRUE(os.registry.valueNames(kRun).empty());
  EXPECT_EQ(session.filesInfected, 1);
  EXPECT_EQ(session.filesRemoved, 1);
  EXPECT_EQ(session.filesScanned, 0);
  EXPECT_EQ(session.singleFileMode, 0);
  EXPECT_EQ(session.singleFileMatched, 0);
  // Killed at the first attempt, it refuses the second: its service is looked for, but a program
  // that was killed needs no restart.
  EXPECT_EQ(os.callsStartingWith("openService evil").size(), 1u);
  EXPECT_EQ(os.callsStartingWith("regDeleteKey ").size(), 6u);
  EXPECT_EQ(session.memoryRestartNeeded, 0);
  EXPECT_FALSE(os.exitCode);
}

TEST_F(MemoryScanTest, AnImageThatCannotBeReadIsLeftAlone) {
  sim::SimProcess& evil = runInfected();
  os.find(kEvil)->denyOpen = true;
  EXPECT_EQ(scanMemory(ctx), 1);
  EXPECT_NE(os.process(evil.id), nullptr);
  EXPECT_TRUE(reportLines.empty());
}

TEST_F(MemoryScanTest, ProgramsOfOthersAreOpenedWithTheDebugPrivilegeEnabledOnce) {
  const std::uint32_t first = runInfected().id;
  os.process(first)->deniedAccess = kProcessQueryInformation;
  const std::uint32_t second = runInfected("C:\\apps\\evil2.exe").id;
  os.process(second)->deniedAccess = kProcessQueryInformation;

  scanMemory(ctx);
  EXPECT_EQ(os.ended, (std::vector<std::uint32_t>{first, second}));
  EXPECT_EQ(os.enabledPrivileges, std::vector<std::string>{"SeDebugPrivilege"});
  EXPECT_EQ(os.callsStartingWith("openProcessToken "),
            std::vector<std::string>{"openProcessToken 0x28"});
}

TEST_F(MemoryScanTest, ATokenThatCannotBeOpenedIsReportedOnceAndThoseProgramsPassedOver) {
  const std::uint32_t evil = runInfected().id;
  os.process(evil)->deniedAccess = kProcessQueryInformation;
  os.startProcess("C:\\WINDOWS\\system32\\winlogon.exe").deniedAccess = kProcessVmRead;
  os.tokenOpenFails = true;

  scanMemory(ctx);
  ASSERT_EQ(os.plainMessageBoxes.size(), 1u);
  EXPECT_EQ(os.plainMessageBoxes[0].text, "false");
  EXPECT_EQ(os.plainMessageBoxes[0].caption, "TEMP");
  EXPECT_EQ(os.plainMessageBoxes[0].type, kMbOk);
  EXPECT_NE(os.process(evil), nullptr);
}

TEST_F(MemoryScanTest, AProgramThatCannotBeKilledIsStoppedAsItsService) {
  for (const VersionInfo& version : {kWindowsNt4, kWindowsXp}) {
    SCOPED_TRACE(version.majorVersion);
    sim::SimProcess& evil = runInfected();
    evil.refuseTerminate = true;
    os.versionInfo = version;
    os.services = {{"evil", kServiceRunning, evil.id, 2}};
    os.registry.addKey("SYSTEM\\ControlSet001\\Services\\evil\\Enum");
    os.registry.addKey("SYSTEM\\ControlSet002\\Services\\evil\\Security");
    reportLines.clear();

    EXPECT_EQ(scanMemory(ctx), 1);
    EXPECT_EQ(os.services[0].state, kServiceStopped);
    EXPECT_FALSE(os.exists(kEvil));
    EXPECT_EQ(os.registry.findKey("SYSTEM\\ControlSet001\\Services\\evil"), nullptr);
    EXPECT_EQ(os.registry.findKey("SYSTEM\\ControlSet002\\Services\\evil"), nullptr);
    EXPECT_EQ(reportLines, (std::vector<std::string>{kMemoryLine, kEvilRemoved}));
    EXPECT_EQ(session.memoryRestartNeeded, 0);
  }
}

TEST_F(MemoryScanTest, AProgramThatOutlivesEverythingEndsTheProgramWithTheRestartOffer) {
  struct Case {
    const char* what;
    int answer;
    std::size_t restarts;
  };
  const Case cases[] = {{"OK restarts", kIdOk, 1}, {"Cancel does not", 2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::SimMachine machine;
    machine.versionInfo = kWindowsXp;
    machine.addFile(kEvil, infected());
    const std::uint32_t evil = machine.startProcess(kEvil).id;
    machine.process(evil)->refuseTerminate = true;
    machine.services = {{"evil", kServiceRunning, evil, 0, true}};
    machine.registry.addKey("SYSTEM\\ControlSet001\\Services\\evil");
    machine.registry.setString(kRun, "evil", kEvil);
    machine.messageBoxAnswers = {c.answer};
    ScanSession state;
    state.mainWindow = 1;
    ScanContext context{machine, state};

    EXPECT_EQ(scanMemory(context), 0);
    EXPECT_EQ(state.memoryRestartNeeded, 1);
    ASSERT_EQ(machine.messageBoxes.size(), 1u);
    EXPECT_EQ(machine.messageBoxes[0].text, kMemoryRestartQuestion);
    EXPECT_EQ(machine.messageBoxes[0].caption, "Vantosweeper Ver 1.0");
    EXPECT_EQ(machine.messageBoxes[0].type, 0x41u);
    EXPECT_EQ(machine.restartRequests.size(), c.restarts);
    EXPECT_EQ(machine.exitCode, std::optional<unsigned>{0});
    // The registry is clean all the same; the image, still running, is not touched.
    EXPECT_EQ(machine.registry.findKey("SYSTEM\\ControlSet001\\Services\\evil"), nullptr);
    EXPECT_TRUE(machine.registry.valueNames(kRun).empty());
    EXPECT_TRUE(machine.exists(kEvil));
    EXPECT_NE(machine.process(evil), nullptr);
  }
}

TEST_F(MemoryScanTest, FromNtSixOnNoServiceIsTriedAndNoRestartOffered) {
  sim::SimProcess& evil = runInfected();
  evil.refuseTerminate = true;
  os.versionInfo = kWindows7;
  EXPECT_EQ(scanMemory(ctx), 1);
  EXPECT_TRUE(os.callsStartingWith("openServiceManager").empty());
  EXPECT_EQ(session.memoryRestartNeeded, 0);
  EXPECT_TRUE(os.exists(kEvil));  // neither walk nor kill gave a value: no disposal pass
  EXPECT_TRUE(reportLines.empty());
}

TEST_F(MemoryScanTest, AnUnreadableImageAfterAnUnkillableOneIsNotTakenForAMatch) {
  os.versionInfo = kWindows7;
  runInfected().refuseTerminate = true;
  const std::uint32_t after = runInfected("C:\\apps\\later.exe").id;
  os.find("C:\\apps\\later.exe")->denyOpen = true;
  scanMemory(ctx);
  EXPECT_NE(os.process(after), nullptr);
  EXPECT_TRUE(os.ended.empty());
}

TEST_F(MemoryScanTest, TheNinetyEightRoadKillsFromTheSnapshotAndDisposesWhateverTheKillGave) {
  os.versionInfo = kWindows98;
  const std::uint32_t evil = runInfected().id;
  sim::SimProcess& stubborn = runInfected("C:\\apps\\stubborn.exe");
  stubborn.refuseTerminate = true;
  os.addDirectory("C:\\WINDOWS\\TEMP");

  scanMemory(ctx);
  EXPECT_EQ(os.ended, std::vector<std::uint32_t>{evil});
  EXPECT_FALSE(os.exists(kEvil));
  // The disposal pass runs for the program that could not be killed too: its image stays for the
  // next start.
  EXPECT_TRUE(os.exists("C:\\apps\\stubborn.exe"));
  EXPECT_EQ(reportLines,
            (std::vector<std::string>{kMemoryLine, kEvilRemoved, kMemoryLine,
                                      "C:\\apps\\stubborn.exe     W32/Talvorn.Trojan  Unable to "
                                      "remove"}));
  EXPECT_EQ(session.restartNeeded, 1);
  EXPECT_FALSE(os.exitCode);
  EXPECT_TRUE(os.sleeps.size() >= 2);
}

TEST_F(MemoryScanTest, TheNinetyEightRoadTestsNothingWithoutProcess32Next) {
  os.versionInfo = kWindows98;
  runInfected();
  os.process32NextMissing = true;
  scanMemory(ctx);
  EXPECT_TRUE(os.ended.empty());
  EXPECT_TRUE(os.callsStartingWith("readable ").empty());
}

TEST_F(MemoryScanTest, OtherSystemsListNothing) {
  runInfected();
  os.versionInfo = VersionInfo{kPlatformWin32s, 3, 10};
  EXPECT_EQ(scanMemory(ctx), 1);
  EXPECT_TRUE(os.callsStartingWith("loadLibrary").empty());
  EXPECT_EQ(session.singleFileMode, 0);
  EXPECT_TRUE(os.ended.empty());
}

}  // namespace
}  // namespace vs::test
