// The registry cleanup, the services and the memory scan on the real system: Run values and the
// uninstall entry in a real registry, a service program of our own stopped and its keys deleted,
// and a real infected program found running, killed and deleted. The psapi roads run here as on
// NT 5.x; the tool-help road (Wine gives base names only) and the performance-data road (Wine's
// data are a stub) are proven on the simulated machine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/disposal.h"
#include "engine/matcher.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"
#include "remediation/process_kill.h"
#include "remediation/process_scan.h"
#include "remediation/registry_cleanup.h"
#include "remediation/service_cleanup.h"
#include "remediation/system_family.h"
#include "runnable_sample.h"
#include "wine/scratch_disk.h"
#include "wine/test_window.h"

namespace vs::test {
namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunServices = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const std::string kUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v";
const std::string kRunLine = "System Registry     W32/Talvorn.Trojan removed";
const std::string kMemoryLine = "System Memory    W32/Talvorn.Trojan  removed";
constexpr const char* kServiceName = "vs-wine-service";
constexpr const char* kServiceTest = "ServiceProgram.DISABLED_RunsUntilStopped";

using win32::KernelHandle;
using win32::KeyHandle;
using ServiceOwner = win32::ScmHandle;

// The registry is prepared and read with the system's calls directly, not through the backend.
void setString(const std::string& path, const std::string& name, const std::string& data) {
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &raw, nullptr),
            ERROR_SUCCESS)
      << path;
  KeyHandle key(raw);
  ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>(data.size() + 1)),
            ERROR_SUCCESS);
}

void createKey(const std::string& path) {
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &raw, nullptr),
            ERROR_SUCCESS)
      << path;
  RegCloseKey(raw);
}

bool keyExists(const std::string& path) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(raw);
  return true;
}

bool hasValue(const std::string& path, const std::string& name) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) {
    return false;
  }
  KeyHandle key(raw);
  return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

// The backend with the answers of the user and the end of the program recorded, so that no box
// waits for a click and no test ends the test program.
class RecordingPlatform : public Win32Platform {
 public:
  int messageBox(const char* text, const char* caption, unsigned) override {
    plainBoxes.push_back(std::string(text) + " | " + caption);
    return IDOK;
  }
  int skinMessageBox(const char* text, const char*, unsigned) override {
    questions.push_back(text);
    return IDCANCEL;
  }
  void exitProcess(unsigned exitCode) override { exitCodes.push_back(exitCode); }

  std::vector<std::string> plainBoxes;
  std::vector<std::string> questions;
  std::vector<unsigned> exitCodes;
};

// The engine's view of the main window, recording the report lines.
class ScanFixture : public ::testing::Test {
 protected:
  ScanFixture() {
    session.mainWindow = reinterpret_cast<WindowHandle>(window.handle());
    session.singleFileMode = 0;
  }

  ScanSession session;
  std::vector<std::string> lines;
  TestWindow window{[this](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == kStatusMsgAddLine) lines.push_back(session.reportLine);
    return 0;
  }};
  RecordingPlatform os;
  ScanContext ctx{os, session};
};

using RegistryCleanupUnderWine = ScanFixture;

TEST_F(RegistryCleanupUnderWine, RunValuesThatStartTheFileGoAndTheRestStay) {
  setString(kRun, "vs-full", "C:\\WINDOWS\\SYSTEM32\\VS-WINE-X.EXE -q");
  setString(kRun, "vs-keep-other-folder", "C:\\other\\vs-wine-x.exe");
  setString(kRun, "vs-quoted", "\"%SystemRoot%\\system32\\vs-wine-x.exe\" /run");
  setString(kRun, "vs-bare", "vs-wine-x.exe");
  setString(kRun, "vs-keep-notepad", "notepad.exe");
  setString(kRunServices, "vs-service", "c:\\windows\\system32\\vs-wine-x.exe");
  std::snprintf(session.currentFilePath, sizeof session.currentFilePath, "%s",
                "C:\\windows\\system32\\vs-wine-x.exe");

  EXPECT_EQ(removeRegistryTraces(ctx, "W32/Talvorn.Cgx.Trojan"), 1);
  EXPECT_EQ(lines, std::vector<std::string>(4, kRunLine));
  for (const char* gone : {"vs-full", "vs-quoted", "vs-bare"}) EXPECT_FALSE(hasValue(kRun, gone));
  EXPECT_TRUE(hasValue(kRun, "vs-keep-other-folder"));
  EXPECT_TRUE(hasValue(kRun, "vs-keep-notepad"));
  EXPECT_FALSE(hasValue(kRunServices, "vs-service"));
  EXPECT_STREQ(session.rememberedRunValue, "vs-service");

  // A later detection removes the remembered name from the malware's three keys.
  lines.clear();
  session.currentFilePath[0] = '\0';
  for (const std::string& key : {kRun, kRunServices, kUninstall}) {
    setString(key, "vs-service", "anything");
  }
  removeRegistryTraces(ctx, "W32/Talvorn.Cfc.Trojan");
  EXPECT_EQ(lines,
            std::vector<std::string>(3, "System Registry     W32/Talvorn.Cfc.Trojan removed"));
  for (const std::string& key : {kRun, kRunServices, kUninstall}) {
    EXPECT_FALSE(hasValue(key, "vs-service")) << key;
  }
}

TEST_F(RegistryCleanupUnderWine, TheUninstallEntryGoesWhenItPointsAtTheMalware) {
  setString(kUninstall, "UninstallString", "C:\\Program Files\\x\\uninstall.exe");
  setString(kRun, "SMrhcjg7j0e38v", "C:\\WINDOWS\\rhcjg7j0e38v.exe");
  EXPECT_EQ(removeUninstallEntry(ctx), 1);
  EXPECT_FALSE(hasValue(kUninstall, "UninstallString"));
  EXPECT_FALSE(hasValue(kRun, "SMrhcjg7j0e38v"));
  EXPECT_TRUE(keyExists(kUninstall));  // a value inside the key, not the key

  // Without the uninstall string the Run value is not looked at.
  setString(kRun, "SMrhcjg7j0e38v", "C:\\WINDOWS\\rhcjg7j0e38v.exe");
  EXPECT_EQ(removeUninstallEntry(ctx), 0);
  EXPECT_TRUE(hasValue(kRun, "SMrhcjg7j0e38v"));
}

TEST(ServiceKeysUnderWine, BothControlSetsLoseTheServicesKeys) {
  // Wine keeps its live services under CurrentControlSet alone; the two numbered sets of a real
  // system are made here.
  const std::string set1 = std::string("SYSTEM\\ControlSet001\\Services\\") + kServiceName;
  const std::string set2 = std::string("SYSTEM\\ControlSet002\\Services\\") + kServiceName;
  for (const std::string& key :
       {set1 + "\\Enum", set1 + "\\Security", set2 + "\\Enum", set2 + "\\Security"}) {
    createKey(key);
  }
  createKey("SYSTEM\\ControlSet002\\Services\\vs-wine-neighbour");
  Win32Platform os;
  EXPECT_EQ(deleteServiceKeys(os, kServiceName), 1);
  EXPECT_FALSE(keyExists(set1));
  EXPECT_FALSE(keyExists(set2));
  EXPECT_TRUE(keyExists("SYSTEM\\ControlSet002\\Services\\vs-wine-neighbour"));
  EXPECT_EQ(deleteServiceKeys(os, kServiceName), 0);
}

TEST(RegistryBackendUnderWine, ThePerformanceRootAnswersWithADataBlockAndCloses) {
  Win32Platform os;
  std::unique_ptr<RegistryKey> root = os.performanceData();
  std::vector<std::uint8_t> block(51200);
  std::uint32_t size = static_cast<std::uint32_t>(block.size());
  const std::int32_t result = root->queryValue("230", nullptr, block.data(), &size);
  ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_MORE_DATA) << result;
  if (result == ERROR_SUCCESS) {
    ASSERT_GE(size, 8u);
    EXPECT_EQ(std::memcmp(block.data(), u"PERF", 8), 0);
  }
  EXPECT_EQ(root->close(), ERROR_SUCCESS);
  EXPECT_NE(root->close(), ERROR_SUCCESS);  // closed once only
}

TEST(RegistryBackendUnderWine, ExpansionAndConversionAnswerAsTheSystemDoes) {
  Win32Platform os;
  char windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
  const std::string expected = std::string(windows) + "\\x.exe";
  char expanded[MAX_PATH];
  EXPECT_EQ(os.expandEnvironmentStrings("%SystemRoot%\\x.exe", expanded, sizeof expanded),
            expected.size() + 1);
  EXPECT_EQ(expanded, expected);
  char small[4];
  EXPECT_EQ(os.expandEnvironmentStrings("%SystemRoot%\\x.exe", small, sizeof small),
            expected.size() + 1);  // the size it needs

  char ansi[8];
  EXPECT_EQ(os.wideToAnsi(u"abc", -1, ansi, sizeof ansi), 4);
  EXPECT_STREQ(ansi, "abc");
  EXPECT_EQ(os.wideToAnsi(u"abcdefghij", -1, ansi, sizeof ansi), 0);
  EXPECT_EQ(os.lastError(), static_cast<std::uint32_t>(ERROR_INSUFFICIENT_BUFFER));

  // A value whose data does not fit is answered with its size, and nothing past the buffer.
  setString(kRun, "vs-wine-long", std::string(300, 'x'));
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(os.openMachineKey(kRun.c_str(), KEY_READ, key), ERROR_SUCCESS);
  char data[264];
  std::uint32_t dataSize = sizeof data;
  EXPECT_EQ(key->queryValue("vs-wine-long", nullptr, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 301u);
  EXPECT_EQ(key->close(), ERROR_SUCCESS);
}

// Runs as the service program (started by the service manager with this test's filter): reports
// running, and stopped once asked to stop.
SERVICE_STATUS_HANDLE serviceStatus = nullptr;
HANDLE serviceStop = nullptr;

void reportServiceState(DWORD state) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(serviceStatus, &status);
}

DWORD WINAPI serviceControl(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    reportServiceState(SERVICE_STOP_PENDING);
    SetEvent(serviceStop);
  }
  return NO_ERROR;
}

void WINAPI serviceMain(DWORD, char**) {
  serviceStatus = RegisterServiceCtrlHandlerExA(kServiceName, serviceControl, nullptr);
  reportServiceState(SERVICE_RUNNING);
  WaitForSingleObject(serviceStop, INFINITE);
  reportServiceState(SERVICE_STOPPED);
}

TEST(ServiceProgram, DISABLED_RunsUntilStopped) {
  serviceStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  char name[] = "vs-wine-service";
  SERVICE_TABLE_ENTRYA table[] = {{name, serviceMain}, {nullptr, nullptr}};
  EXPECT_TRUE(StartServiceCtrlDispatcherA(table)) << GetLastError();
}

// The service program installed and started for one test, and removed again.
class OurService {
 public:
  OurService() {
    manager_.reset(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    EXPECT_TRUE(manager_.valid()) << GetLastError();
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string command = std::string("\"") + self +
                                "\" --gtest_also_run_disabled_tests --gtest_filter=" + kServiceTest;
    service_.reset(CreateServiceA(manager_.get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                  SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                  SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr, nullptr,
                                  nullptr, nullptr));
    EXPECT_TRUE(service_.valid()) << GetLastError();
  }
  ~OurService() {
    SERVICE_STATUS status;
    ControlService(service_.get(), SERVICE_CONTROL_STOP, &status);
    DeleteService(service_.get());
  }
  OurService(const OurService&) = delete;
  OurService& operator=(const OurService&) = delete;

  // Starts it and waits until it reports running.
  bool start() {
    if (!StartServiceA(service_.get(), 0, nullptr)) return false;
    for (int i = 0; i < 100; ++i) {
      if (state() == SERVICE_RUNNING) return true;
      Sleep(100);
    }
    return false;
  }
  DWORD state() const {
    SERVICE_STATUS status{};
    return QueryServiceStatus(service_.get(), &status) ? status.dwCurrentState : 0;
  }

 private:
  ServiceOwner manager_;
  ServiceOwner service_;
};

TEST(ServiceUnderWine, ARunningServiceOfOurOwnIsStoppedAndReportedStopped) {
  OurService service;
  ASSERT_TRUE(service.start());
  Win32Platform os;
  EXPECT_EQ(stopServiceByName(os, kServiceName, 1), 1);
  EXPECT_EQ(service.state(), static_cast<DWORD>(SERVICE_STOPPED));
  // Already stopped: the stop request fails. Without the flag it is only opened.
  EXPECT_EQ(stopServiceByName(os, kServiceName, 1), 0);
  EXPECT_EQ(stopServiceByName(os, kServiceName, 0), 1);
  EXPECT_EQ(stopServiceByName(os, "vs-wine-no-such-service", 1), 0);
  EXPECT_EQ(stopServiceByName(os, "vs-wine-no-such-service", 0), 0);
}

// A program of the first record's signature that sleeps until it is killed.
class InfectedProgram {
 public:
  explicit InfectedProgram(const std::string& path) : path_(path) {
    const auto sample = samples::buildRunnableSample(kSignatureTable[0], {});
    if (!sample) {
      ADD_FAILURE() << "no runnable sample";
      return;
    }
    writeFile(path, *sample);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string command = "\"" + path + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
      ADD_FAILURE() << "cannot start " << path << ": error " << GetLastError();
      return;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
  }
  ~InfectedProgram() {
    if (running()) {
      TerminateProcess(process_.get(), 1);
      WaitForSingleObject(process_.get(), 10000);
    }
  }
  InfectedProgram(const InfectedProgram&) = delete;
  InfectedProgram& operator=(const InfectedProgram&) = delete;

  bool running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
  }
  bool endsWithin(DWORD milliseconds) const {
    return process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
  }
  // Started and still running a moment later: the loader took it.
  bool settled() const {
    return process_ && WaitForSingleObject(process_.get(), 500) == WAIT_TIMEOUT;
  }

 private:
  std::string path_;
  KernelHandle process_;
};

class MemoryScanUnderWine : public ScanFixture {
 protected:
  ScratchFolder folder;
};

TEST_F(MemoryScanUnderWine, ARunningInfectedProgramIsFoundKilledAndDeleted) {
  ASSERT_EQ(getSystemFamily(os), FAMILY_NT);
  const std::string path = folder / "evil.exe";
  InfectedProgram program(path);
  ASSERT_TRUE(program.settled());
  ASSERT_FALSE(DeleteFileA(path.c_str()));  // a running program's image stays
  setString(kRun, "vs-wine-evil", "\"" + path + "\" /autorun");

  EXPECT_EQ(scanMemory(ctx), 1);
  EXPECT_TRUE(program.endsWithin(5000));
  EXPECT_FALSE(fileExists(path));
  EXPECT_FALSE(hasValue(kRun, "vs-wine-evil"));
  EXPECT_EQ(lines, (std::vector<std::string>{kRunLine, kMemoryLine,
                                             path + "     W32/Talvorn.Trojan  removed"}));
  EXPECT_EQ(session.filesInfected, 1);
  EXPECT_EQ(session.filesRemoved, 1);
  EXPECT_EQ(session.memoryRestartNeeded, 0);
  EXPECT_TRUE(os.questions.empty());
  EXPECT_TRUE(os.exitCodes.empty());
  EXPECT_TRUE(os.plainBoxes.empty());
}

TEST_F(MemoryScanUnderWine, ALockedInfectedFileIsFreedByKillingTheProgramThatRunsIt) {
  if (getNtGeneration(os) != NTGEN_NT5) {
    GTEST_SKIP() << "the kill by module path is the road of NT 5.x (run with winxp)";
  }
  const std::string path = folder / "held.exe";
  InfectedProgram program(path);
  ASSERT_TRUE(program.settled());

  disposeInfectedFile(ctx, path.c_str(), kSignatureTable[0].name);
  EXPECT_TRUE(program.endsWithin(5000));
  EXPECT_EQ(lines, std::vector<std::string>{path + "     " + kSignatureTable[0].name + " removed"});
  EXPECT_FALSE(fileExists(path));
  EXPECT_EQ(session.restartNeeded, 0);

  // With nothing running the file, this road reports success all the same and shows no box.
  EXPECT_EQ(killProcessByPath(ctx, path.c_str()), 1);
  EXPECT_TRUE(os.plainBoxes.empty());
}

}  // namespace
}  // namespace vs::test
