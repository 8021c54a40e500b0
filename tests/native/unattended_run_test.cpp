// Runs of the Windows tool started with a command line, on the simulated machine: the silent scan
// on every road (no window, no box, the exit code), the scan that changes nothing, the report file
// and its failures, and the window with a report.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/exit_code.h"
#include "engine/scan_driver.h"
#include "remediation_fixture.h"
#include "sample_builder.h"
#include "unattended/run_machine.h"

namespace vs::test {
namespace {

using Machine = unattended::RunMachine<sim::SimMachine>;

constexpr const char* kEvil = "C:\\apps\\evil.exe";
constexpr const char* kReport = "A:\\report.txt";
const std::string kByteOrderMark = "\xEF\xBB\xBF";

std::string infected(std::uint32_t seed = 1) {
  samples::SampleOptions options;
  options.seed = seed;
  return *samples::buildSample(kSignatureTable[0], options);
}

std::string lineFor(const std::string& path, const std::string& outcome) {
  return path + "     " + kSignatureTable[0].name + " " + outcome;
}

// The program's steps with a command line: the report created before anything else, then the
// scan with no window. Drive A: (removable, never scanned) takes the report.
class UnattendedRunTest : public ::testing::Test {
 protected:
  UnattendedRunTest() { os.addDrive('A', kDriveRemovable); }

  int start(const char* arguments) {
    run.emplace(unattended::parseCommandLine(arguments), session);
    if (!run->openReport(os)) return kExitCouldNotRun;
    os.setRun(&*run);
    ScanContext ctx(os, session, detectorTableFor(run->mode()));
    return run->runSilent(ctx);
  }

  Machine os;
  ScanSession session;
  std::optional<unattended::ScanRun> run;
};

// Every road a silent run can take ends without a window, a box or a question, with the code
// that tells the outcome; the restart only where /restart allows it.
struct Road {
  const char* what;
  const char* arguments;
  std::function<void(sim::SimMachine&)> plant;
  int exitCode;
  std::size_t restarts;
  const char* lastLine;
};

void plantInfected(sim::SimMachine& os) {
  os.addFile(kEvil, infected());
}

// A file that cannot be deleted even after its holder was looked for: it is left for the next
// start.
void plantLocked(sim::SimMachine& os) {
  os.addFile(kEvil, infected()).deleteError = kErrorAccessDenied;
}

// A program that outlives both kills and has no service to stop: the drives are not scanned.
void plantUnstoppable(sim::SimMachine& os) {
  os.addFile(kEvil, infected());
  os.startProcess(kEvil).refuseTerminate = true;
  os.registry.setString(kRun, "evil", kEvil);
  os.addFile("D:\\later.exe", infected(2));
}

const Road kRoads[] = {
    {"nothing found", "/silent", [](sim::SimMachine& os) { os.addFile("C:\\a.txt", "hi"); },
     kExitNothingFound, 0, "Scanning completed"},
    {"found and removed", "/silent", plantInfected, kExitFound, 0, "Scanning completed"},
    {"found, detection only", "/silent /detect", plantInfected, kExitFound, 0,
     "Scanning completed"},
    {"unable to remove, nothing scheduled", "/silent",
     [](sim::SimMachine& os) {
       plantLocked(os);
       os.deleteAtRebootError = kErrorAccessDenied;
     },
     kExitSomethingRemains, 0, "Scanning completed"},
    {"restart needed", "/silent", plantLocked, kExitSomethingRemains, 0, "Scanning completed"},
    {"restart needed, /restart", "/silent /restart", plantLocked, kExitSomethingRemains, 1,
     "Scanning completed"},
    {"could not kill (NT 4)", "/silent /restart",
     [](sim::SimMachine& os) {
       os.versionInfo = kWindowsNt4;
       plantLocked(os);
     },
     kExitSomethingRemains, 1, "Scanning completed"},
    {"could not kill (98)", "/silent",
     [](sim::SimMachine& os) {
       os.versionInfo = kWindows98;
       plantLocked(os);
     },
     kExitSomethingRemains, 0, "Scanning completed"},
    {"memory restart", "/silent", plantUnstoppable, kExitSomethingRemains, 0,
     "System Registry     W32/Talvorn.Trojan removed"},
    {"memory restart, /restart", "/silent /restart", plantUnstoppable, kExitSomethingRemains, 1,
     "System Registry     W32/Talvorn.Trojan removed"},
    {"cancelled", "/silent",
     [](sim::SimMachine& os) {
       plantInfected(os);
       // A message that counts as the Escape key asks nobody and stops nothing; the quit
       // message cancels.
       os.queue = {WindowMessage{0, 0x0113, 27, 0}, WindowMessage{0, kMsgQuit, 0, 0}};
     },
     kExitCouldNotRun, 0, "Scanning terminated"},
};

TEST_F(UnattendedRunTest, EveryRoadEndsWithoutWindowOrBoxAndWithItsCode) {
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.what);
    Machine machine;
    machine.addDrive('A', kDriveRemovable);
    int messages = 0;
    machine.onSend = [&](std::uint32_t) { ++messages; };
    road.plant(machine);
    ScanSession state;
    unattended::ScanRun scan(
        unattended::parseCommandLine((std::string(road.arguments) + " /report:" + kReport).c_str()),
        state);
    ASSERT_TRUE(scan.openReport(machine));
    machine.setRun(&scan);
    ScanContext ctx(machine, state, detectorTableFor(scan.mode()));

    EXPECT_EQ(scan.runSilent(ctx), road.exitCode);
    EXPECT_TRUE(machine.messageBoxes.empty());
    EXPECT_TRUE(machine.plainMessageBoxes.empty());
    EXPECT_TRUE(machine.dispatched.empty());
    EXPECT_EQ(messages, 0);
    EXPECT_FALSE(machine.exitCode);
    EXPECT_EQ(machine.restartRequests.size(), road.restarts);
    const std::string& report = machine.find(kReport)->content;
    EXPECT_EQ(report.substr(report.size() - std::strlen(road.lastLine) - 2),
              road.lastLine + std::string("\r\n"));
  }
}

TEST_F(UnattendedRunTest, AProgramThatCannotBeStoppedLeavesTheDrivesUnscanned) {
  plantUnstoppable(os);
  EXPECT_EQ(start("/silent"), kExitSomethingRemains);
  EXPECT_TRUE(os.callsStartingWith("list D:\\").empty());
  EXPECT_TRUE(os.exists("D:\\later.exe"));
  EXPECT_TRUE(os.restartRequests.empty());
}

TEST_F(UnattendedRunTest, TheReportHoldsTheListsLinesInUtf8WithCrLf) {
  // "é" in the ANSI code page (Latin-1 on the simulated machine) is one byte; in UTF-8, two.
  const std::string folder =
      "C:\\Donn\xE9"
      "es";
  os.addFile(folder + "\\evil.exe", infected());
  os.registry.setString(kRun, "Helper", folder + "\\evil.exe");
  os.addFile("C:\\notes.txt", "hello");
  // An older report, longer than the new one, is replaced whole.
  os.addFile("C:\\reports\\pc.txt", std::string(5000, 'x'));

  EXPECT_EQ(start("/silent /report:C:\\reports\\pc.txt"), kExitFound);
  // The report existed before the walk, which counted it among the scanned files.
  EXPECT_EQ(os.find("C:\\reports\\pc.txt")->content,
            kByteOrderMark +
                "System Registry     W32/Talvorn.Trojan removed\r\n"
                "C:\\Donn\xC3\xA9"
                "es\\evil.exe     " +
                kSignatureTable[0].name +
                " removed\r\n"
                " \r\n"
                "Scanning statistics\r\n"
                "------------------------------\r\n"
                "Total files scanned\t\t:  3\r\n"
                "Total files infected\t\t:  1\r\n"
                "Total files removed\t\t:  1\r\n"
                "Scanning completed\r\n");
}

TEST_F(UnattendedRunTest, AReportThatCannotBeCreatedStopsTheRunBeforeAnythingIsScanned) {
  plantInfected(os);
  os.addFile("C:\\reports\\old.txt", "old", kAttrReadOnly);
  for (const char* path :
       {"C:\\missing\\r.txt", "C:\\reports\\old.txt", "C:\\reports", "Q:\\r.txt"}) {
    SCOPED_TRACE(path);
    os.calls.clear();
    EXPECT_EQ(start((std::string("/silent /report:") + path).c_str()), kExitCouldNotRun);
    EXPECT_EQ(os.calls, std::vector<std::string>{std::string("createOrReplace ") + path});
    EXPECT_TRUE(os.exists(kEvil));
    EXPECT_EQ(os.find("C:\\reports\\old.txt")->content, "old");
  }
}

TEST_F(UnattendedRunTest, AWriteThatFailsLaterKeepsWhatWasWrittenAndEndsWithCouldNotRun) {
  plantInfected(os);
  const std::string first = lineFor(kEvil, "removed") + "\r\n";
  // Room for the mark, the first line and ten bytes of the second.
  os.freeSpace = kByteOrderMark.size() + first.size() + 10;

  EXPECT_EQ(start("/silent /report:A:\\report.txt"), kExitCouldNotRun);
  EXPECT_EQ(os.find(kReport)->content, kByteOrderMark + first + " \r\nScannin");
  // The scan itself went on to its end.
  EXPECT_FALSE(os.exists(kEvil));
  EXPECT_EQ(session.statisticsShown, 1);
}

// The state of everything a scan could change: files, registry, services, programs, requests.
void dumpNode(std::ostringstream& out, const std::string& path, const sim::Node& node) {
  out << path << " " << node.attributes << " " << node.content.size() << " "
      << std::hash<std::string>{}(node.content) << "\n";
  for (const auto& child : node.children) dumpNode(out, path + "\\" + child->name, *child);
}

void dumpKey(std::ostringstream& out, const std::string& path, const sim::RegKeyNode& key) {
  for (const sim::RegValue& value : key.values) {
    out << path << " : " << value.name << " " << value.type << " " << value.data << "\n";
  }
  for (const auto& subkey : key.subkeys) dumpKey(out, path + "\\" + subkey->name, *subkey);
}

std::string machineState(const sim::SimMachine& os) {
  std::ostringstream out;
  for (const char* root : {"C:\\", "D:\\"}) dumpNode(out, root, *os.find(root));
  dumpKey(out, "HKLM", os.registry.root);
  for (const sim::SimService& service : os.services) {
    out << "service " << service.name << " " << service.state << " " << service.processId << "\n";
  }
  for (const sim::SimProcess& process : os.processes) {
    out << "process " << process.id << " " << process.imagePath << "\n";
  }
  out << "ended " << os.ended.size() << " pending " << os.pendingDeletes.size() << " restarts "
      << os.restartRequests.size() << "\n";
  return out.str();
}

TEST(DetectionOnlyTest, ReportsEveryFindingAndLeavesTheMachineAsItWas) {
  for (const VersionInfo& version : {kWindowsXp, kWindowsNt4, kWindows98}) {
    SCOPED_TRACE(version.platformId * 10 + version.majorVersion);
    Machine os;
    os.versionInfo = version;
    os.addDrive('A', kDriveRemovable);
    // A running infected program with its service and Run value, a read-only one held open by
    // another program, one that cannot be deleted, and the malware's own registry entries.
    os.addFile(kEvil, infected(1));
    const std::uint32_t evil = os.startProcess(kEvil).id;
    os.services = {{"evil", kServiceRunning, evil}};
    os.registry.addKey("SYSTEM\\ControlSet001\\Services\\evil");
    os.registry.setString(kRun, "evil", kEvil);
    os.registry.setString(kRunServices, "evil", kEvil);
    os.registry.setString(kUninstall, "UninstallString", "C:\\x\\uninstall.exe");
    os.registry.setString(kRun, "SMrhcjg7j0e38v", "C:\\x\\rhcjg7j0e38v.exe");
    os.addFile("C:\\apps\\locked.exe", infected(2), kAttrReadOnly);
    os.addFile("C:\\WINDOWS\\explorer.exe", samples::buildLookAlike(72704, 9));
    os.startProcess("C:\\WINDOWS\\explorer.exe", {"C:\\apps\\locked.exe"});
    os.addFile("D:\\tools\\stuck.exe", infected(3)).denyAttributes = true;
    const std::string before = machineState(os);

    ScanSession session;
    unattended::ScanRun scan(unattended::parseCommandLine("/silent /detect /report:A:\\r.txt"),
                             session);
    ASSERT_TRUE(scan.openReport(os));
    os.setRun(&scan);
    ScanContext ctx(os, session, detectorTableFor(scan.mode()));
    EXPECT_EQ(scan.runSilent(ctx), kExitFound);

    EXPECT_EQ(machineState(os), before);
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_TRUE(os.plainMessageBoxes.empty());
    // Each infected file once, the running program's image included, and nothing else.
    std::string lines = os.find("A:\\r.txt")->content;
    const std::string running = lineFor(kEvil, "detected") + "\r\n";
    EXPECT_EQ(lines.find(running), kByteOrderMark.size()) << lines;
    EXPECT_EQ(lines.find(running, kByteOrderMark.size() + 1), std::string::npos) << lines;
    EXPECT_NE(lines.find(lineFor("C:\\apps\\locked.exe", "detected") + "\r\n"), std::string::npos);
    EXPECT_NE(lines.find(lineFor("D:\\tools\\stuck.exe", "detected") + "\r\n"), std::string::npos);
    EXPECT_NE(lines.find("Total files infected\t\t:  3\r\nTotal files removed\t\t:  0\r\n"),
              std::string::npos);
    EXPECT_EQ(lines.find("System"), std::string::npos);
  }
}

// With the window, the run only adds the report and the exit code: the boxes are the tool's as
// before, and the program that ends itself inside the scan ends with the run's code.
TEST(WindowWithReportTest, TheReportFollowsTheListAndTheProgramEndsWithTheRunsCode) {
  Machine os;
  os.versionInfo = kWindowsXp;
  os.addDrive('A', kDriveRemovable);
  plantUnstoppable(os);
  os.messageBoxAnswers = {2};  // Cancel: no restart now
  ScanSession session;
  std::vector<std::string> listLines;
  os.onSend = [&](std::uint32_t message) {
    if (message == kStatusMsgAddLine) listLines.push_back(session.reportLine);
  };
  unattended::ScanRun scan(unattended::parseCommandLine("/report:A:\\r.txt"), session);
  ASSERT_TRUE(scan.openReport(os));
  os.setRun(&scan);
  // A window closed before SCAN was pressed scanned nothing.
  EXPECT_EQ(scan.exitCode(), kExitCouldNotRun);

  ScanContext ctx(os, session);
  session.mainWindow = 1;
  runScanSession(ctx);
  EXPECT_EQ(os.messageBoxes.size(), 1u);
  EXPECT_EQ(os.exitCode, std::optional<unsigned>{kExitSomethingRemains});
  ASSERT_FALSE(listLines.empty());
  std::string expected = kByteOrderMark;
  for (const std::string& line : listLines) expected += line + "\r\n";
  EXPECT_EQ(os.find("A:\\r.txt")->content, expected);
}

}  // namespace
}  // namespace vs::test
