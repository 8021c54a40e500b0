// Killing the program that holds an infected file: the road of each system, what each road
// compares, its pauses, and the "Could not kill process" box.
#include "remediation/process_kill.h"

#include <gtest/gtest.h>

#include "remediation/perf_data_kill.h"
#include "remediation_fixture.h"

namespace vs::test {
namespace {

const std::string kPerflib = "software\\microsoft\\windows nt\\currentversion\\perflib\\009";

class ProcessKillTest : public RemediationFixture {
 protected:
  sim::SimProcess& start(const std::string& image) {
    os.addFile(image, "MZ");
    return os.startProcess(image);
  }
  std::uint32_t run(const std::string& image) { return start(image).id; }
  int kill(const char* path) { return killProcessByPath(ctx, path); }
  bool boxShownFor(const std::string& path) const {
    return os.plainMessageBoxes.size() == 1 &&
           os.plainMessageBoxes[0].text == "Could not kill process" &&
           os.plainMessageBoxes[0].caption == path && os.plainMessageBoxes[0].type == kMbOk;
  }
};

TEST_F(ProcessKillTest, EachSystemTakesItsRoad) {
  struct Case {
    const char* what;
    std::optional<VersionInfo> version;
    const char* firstCall;  // what the road does first; null: nothing at all
    int result;
  };
  const Case cases[] = {
      {"9x line: tool-help", kWindows98, "loadLibrary Kernel32.dll", 1},
      {"NT 4: performance data", kWindowsNt4, "regOpen", 1},
      {"NT 5.x: psapi", kWindowsXp, "loadLibrary psapi.dll", 1},
      {"NT 6 and later: performance data", kWindows7, "regOpen", 1},
      {"another platform: nothing", VersionInfo{kPlatformWin32s, 3, 10}, nullptr, 1},
      {"version unknown: nothing", std::nullopt, nullptr, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.processes.clear();
    os.calls.clear();
    os.ended.clear();
    const std::uint32_t id = run("C:\\apps\\evil.exe");
    os.versionInfo = c.version;
    EXPECT_EQ(kill("C:\\apps\\evil.exe"), c.result);
    std::vector<std::string> roadCalls;
    for (const std::string& call : os.calls) {
      if (call != "version") roadCalls.push_back(call);
    }
    if (c.firstCall) {
      ASSERT_FALSE(roadCalls.empty());
      EXPECT_EQ(roadCalls[0].rfind(c.firstCall, 0), 0u) << roadCalls[0];
      EXPECT_EQ(os.ended, std::vector<std::uint32_t>{id});
    } else {
      EXPECT_TRUE(roadCalls.empty());
      EXPECT_TRUE(os.ended.empty());
    }
    EXPECT_TRUE(os.plainMessageBoxes.empty());
  }
}

TEST_F(ProcessKillTest, ToolhelpKillsTheFirstProgramOfThatNameWhereverItRuns) {
  os.versionInfo = kWindows98;
  run("C:\\WINDOWS\\EXPLORER.EXE");
  const std::uint32_t first = run("D:\\other\\evil.exe");
  const std::uint32_t second = run("C:\\apps\\EVIL.EXE");
  EXPECT_EQ(kill("C:\\apps\\evil.exe"), 1);
  EXPECT_EQ(os.ended, std::vector<std::uint32_t>{first});
  EXPECT_NE(os.process(second), nullptr);
  // Load, snapshot; one entry passed over; before the open, after the kill.
  EXPECT_EQ(os.sleeps, (std::vector<unsigned>{100, 100, 100, 100, 50, 500}));
  EXPECT_EQ(os.callsStartingWith("openProcess "),
            std::vector<std::string>{"openProcess " + std::to_string(first) + " 0x401"});
}

TEST_F(ProcessKillTest, ToolhelpComparesTheFirstEntryToo) {
  os.versionInfo = kWindows98;
  const std::uint32_t id = run("C:\\apps\\evil.exe");
  EXPECT_EQ(kill("c:\\APPS\\evil.exe"), 1);
  EXPECT_EQ(os.ended, std::vector<std::uint32_t>{id});
  EXPECT_EQ(os.sleeps, (std::vector<unsigned>{100, 100, 50, 500}));
}

TEST_F(ProcessKillTest, ToolhelpTellsTheUserWhenNothingWasKilled) {
  os.versionInfo = kWindows98;
  run("C:\\WINDOWS\\EXPLORER.EXE");
  EXPECT_EQ(kill("C:\\apps\\evil.exe"), 0);
  EXPECT_TRUE(boxShownFor("C:\\apps\\evil.exe"));
  EXPECT_TRUE(os.ended.empty());

  // A refused kill ends the road as well: later programs of the name are not tried.
  os.plainMessageBoxes.clear();
  os.sleeps.clear();
  start("D:\\evil.exe").refuseTerminate = true;
  run("C:\\apps\\evil.exe");
  EXPECT_EQ(kill("C:\\apps\\evil.exe"), 0);
  EXPECT_TRUE(boxShownFor("C:\\apps\\evil.exe"));
  EXPECT_TRUE(os.ended.empty());
  EXPECT_EQ(os.sleeps, (std::vector<unsigned>{100, 100, 100, 100, 50, 500}));

  os.plainMessageBoxes.clear();
  os.toolhelpMissing = true;
  EXPECT_EQ(kill("C:\\apps\\evil.exe"), 0);
  EXPECT_TRUE(boxShownFor("C:\\apps\\evil.exe"));
}

TEST_F(ProcessKillTest, PsapiKillsEveryProgramRunningThatVeryFile) {
  os.versionInfo = kWindowsXp;
  const std::uint32_t a = run("C:\\apps\\evil.exe");
  const std::uint32_t other = run("D:\\evil.exe");
  const std::uint32_t b = os.startProcess("C:\\APPS\\EVIL.EXE").id;
  run("C:\\apps\\evil.exe.bak");
  EXPECT_EQ(kill("C:\\apps\\evil.exe"), 1);
  EXPECT_EQ(os.ended, (std::vector<std::uint32_t>{a, b}));
  EXPECT_NE(os.process(other), nullptr);
  EXPECT_EQ(os.sleeps, (std::vector<unsigned>{500, 500}));
}

TEST_F(ProcessKillTest, PsapiReportsSuccessWheneverItCouldListAndNeverShowsTheBox) {
  os.versionInfo = kWindowsXp;
  run("C:\\apps\\clean.exe");
  EXPECT_EQ(kill("C:\\apps\\evil.exe"), 1);
  start("C:\\apps\\evil.exe").refuseTerminate = true;
  EXPECT_EQ(kill("C:\\apps\\evil.exe"), 1);
  EXPECT_TRUE(os.sleeps.empty());  // only a termination is followed by the pause

  os.psapiMissing = true;
  EXPECT_EQ(kill("C:\\apps\\evil.exe"), 0);
  EXPECT_TRUE(os.plainMessageBoxes.empty());
}

TEST_F(ProcessKillTest, PerformanceDataMatchTheInstanceNameAndItsNumberedTwins) {
  for (const VersionInfo& version : {kWindowsNt4, kWindows7}) {
    os.processes.clear();
    os.ended.clear();
    os.sleeps.clear();
    os.versionInfo = version;
    const std::uint32_t first = run("C:\\a\\ABC.EXE");
    sim::SimProcess& twin = os.startProcess("D:\\b\\abc.exe");
    twin.perfName = "abc#1";
    const std::uint32_t second = twin.id;
    run("C:\\c\\ABCDEF.exe");
    run("C:\\c\\AB.exe");
    EXPECT_EQ(kill("C:\\a\\ABC.EXE"), 1);
    EXPECT_EQ(os.ended, (std::vector<std::uint32_t>{first, second}));
    EXPECT_EQ(os.sleeps, (std::vector<unsigned>{500, 500}));
    EXPECT_EQ(os.callsStartingWith("regOpen "),
              std::vector<std::string>{"regOpen " + kPerflib + " 0x20019"});
    EXPECT_EQ(os.callsStartingWith("perfData close").size(), 1u);
    EXPECT_EQ(os.callsStartingWith("regClose " + kPerflib).size(), 1u);
    os.calls.clear();
  }
}

TEST_F(ProcessKillTest, PerformanceDataTwinsAreNumberedWithDigitsOnly) {
  struct Case {
    const char* instance;
    bool killed;
  };
  const Case cases[] = {
      {"evil", true},    {"EVIL#12", true},  {"evil#", false},
      {"evil#x", false}, {"evil#1a", false}, {"evilX", false},
  };
  os.versionInfo = kWindows7;
  std::vector<std::uint32_t> wanted;
  for (const Case& c : cases) {
    sim::SimProcess& process = start(std::string("C:\\run\\") + c.instance + "\\evil.exe");
    process.perfName = c.instance;
    if (c.killed) wanted.push_back(process.id);
  }
  EXPECT_EQ(kill("C:\\x\\evil.exe"), 1);
  EXPECT_EQ(os.ended, wanted);
}

TEST_F(ProcessKillTest, PerformanceDataKillNothingThatDoesNotQualify) {
  struct Case {
    const char* what;
    const char* path;
    void (*arrange)(sim::SimMachine&);
  };
  const Case cases[] = {
      {"a path of four characters", "a.ex", [](sim::SimMachine&) {}},
      {"nothing left once the extension is cut", "C:\\.EXE", [](sim::SimMachine&) {}},
      {"an instance name over 16 characters", "C:\\x\\abcdefghijklmnopq.exe",
       [](sim::SimMachine& m) { m.startProcess("C:\\x\\abcdefghijklmnopq.exe"); }},
      {"a name that cannot be converted", "C:\\x\\unknown.exe",
       [](sim::SimMachine& m) {
         m.startProcess("C:\\x\\unknown.exe");
         m.ansiConversionFails = true;
       }},
      {"no process object in the counter names", "C:\\x\\evil.exe",
       [](sim::SimMachine& m) {
         m.startProcess("C:\\x\\evil.exe");
         m.registry.setBytes("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009",
                             "Counters", std::string("784\0ID Process\0\0", 17), kRegMultiSz);
       }},
      {"the object lacks the id counter", "C:\\x\\evil.exe",
       [](sim::SimMachine& m) {
         m.startProcess("C:\\x\\evil.exe");
         m.perfIdCounter = 999;
       }},
      {"the performance data cannot be read", "C:\\x\\evil.exe",
       [](sim::SimMachine& m) {
         m.startProcess("C:\\x\\evil.exe");
         m.perfDataError = 5;
       }},
      {"the system keeps asking for a larger buffer than is believed", "C:\\x\\evil.exe",
       [](sim::SimMachine& m) {
         m.startProcess("C:\\x\\evil.exe");
         m.perfDataMinimumBuffer = 0xFFFFFFFF;
         m.perfDataSizeHint = 0xFFFFF000;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::SimMachine machine;
    machine.versionInfo = kWindows7;
    machine.startProcess("C:\\WINDOWS\\explorer.exe");
    c.arrange(machine);
    ScanSession state;
    ScanContext context{machine, state};
    EXPECT_EQ(killProcessByPath(context, c.path), 0);
    EXPECT_TRUE(machine.ended.empty());
    ASSERT_EQ(machine.plainMessageBoxes.size(), 1u);
    EXPECT_EQ(machine.plainMessageBoxes[0].caption, c.path);
  }
}

TEST_F(ProcessKillTest, PerformanceDataPauseAfterEveryMatchEvenOneThatCannotBeOpened) {
  os.versionInfo = kWindows7;
  start("C:\\x\\evil.exe").protectedAccess = kProcessTerminate;
  sim::SimProcess& twin = os.startProcess("C:\\y\\evil.exe");
  twin.perfName = "evil#1";
  const std::uint32_t killed = twin.id;
  EXPECT_EQ(kill("C:\\x\\evil.exe"), 1);
  EXPECT_EQ(os.ended, std::vector<std::uint32_t>{killed});
  EXPECT_EQ(os.sleeps, (std::vector<unsigned>{500, 500}));
}

TEST_F(ProcessKillTest, PerformanceDataBufferGrowsWhileTheSystemWantsMore) {
  os.versionInfo = kWindowsNt4;
  const std::uint32_t id = run("C:\\x\\evil.exe");
  os.perfDataMinimumBuffer = 100000;
  EXPECT_EQ(kill("C:\\x\\evil.exe"), 1);
  EXPECT_EQ(os.perfDataQueries, (std::vector<std::uint32_t>{51200, 76800, 102400}));
  EXPECT_EQ(os.ended, std::vector<std::uint32_t>{id});

  // A system that says how much it wants gets that and 25,600 bytes more.
  os.perfDataQueries.clear();
  os.perfDataSizeHint = 120000;
  run("C:\\x\\evil.exe");
  EXPECT_EQ(kill("C:\\x\\evil.exe"), 1);
  EXPECT_EQ(os.perfDataQueries, (std::vector<std::uint32_t>{51200, 145600}));
}

TEST_F(ProcessKillTest, PerformanceDataReadAtMost254Programs) {
  os.versionInfo = kWindows7;
  // "Idle" comes first, then 253 programs fill the table; the next one is not read.
  for (int i = 0; i < 253; ++i) os.startProcess("C:\\x\\other" + std::to_string(i) + ".exe");
  os.startProcess("C:\\x\\evil.exe");
  EXPECT_EQ(kill("C:\\x\\evil.exe"), 0);
  EXPECT_TRUE(os.ended.empty());
}

}  // namespace
}  // namespace vs::test
