// Disposal, deletion at the next start, the system family and the restart's token road on the
// real system. The per-version runs (VS_WINE_VERSION set for the harness and seen here) check the
// family codes against what Wine reports for each Windows version; the restart itself is never
// started: ExitWindowsEx is replaced by a recorder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/disposal.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"
#include "remediation/deferred_delete.h"
#include "remediation/restart.h"
#include "remediation/system_family.h"
#include "wine/scratch_disk.h"
#include "wine/test_window.h"

namespace vs::test {
namespace {

constexpr const char* kName = "W32/Talvorn.Cgx.Trojan";
constexpr const char* kHeldFileVariable = "VS_HELD_FILE";
constexpr const char* kHolderReadyEvent = "vs-remediation-holder-ready";
constexpr const char* kHolderTest = "FileHolder.DISABLED_HoldsTheFileUntilKilled";

using win32::KernelHandle;
using win32::KeyHandle;

// The Windows version of this run, as the harness was told it; empty in the main run.
std::string runVersion() {
  const char* version = std::getenv("VS_WINE_VERSION");
  return version ? version : "";
}

// Runs in a child process of this program: opens the file without any sharing, tells the parent,
// and keeps it open until the process is killed.
TEST(FileHolder, DISABLED_HoldsTheFileUntilKilled) {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(kHeldFileVariable, path, sizeof path);
  ASSERT_TRUE(length > 0 && length < sizeof path);
  win32::FileHandle file(
      CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << "error " << GetLastError();
  KernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, kHolderReadyEvent));
  ASSERT_TRUE(ready.valid());
  SetEvent(ready.get());
  Sleep(INFINITE);
}

// Another program that holds a file open without sharing, as a running infected program holds
// its image; it ends when killed or when the test is over.
class HolderProcess {
 public:
  explicit HolderProcess(const std::string& path) {
    SetEnvironmentVariableA(kHeldFileVariable, path.c_str());
    KernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, kHolderReadyEvent));
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = std::string("\"") + self +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=" + kHolderTest;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Without a console of its own, so that its test output does not mix with this one's.
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &info)) {
      ADD_FAILURE() << "cannot start the holder: error " << GetLastError();
      return;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    const HANDLE waits[] = {ready.get(), process_.get()};
    holding_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    EXPECT_TRUE(holding_) << "the holder did not open " << path;
  }
  ~HolderProcess() { kill(); }
  HolderProcess(const HolderProcess&) = delete;
  HolderProcess& operator=(const HolderProcess&) = delete;

  bool holding() const { return holding_; }
  bool kill() {
    if (!process_ || !TerminateProcess(process_.get(), 1)) return false;
    WaitForSingleObject(process_.get(), 10000);
    process_.reset();
    return true;
  }

 private:
  KernelHandle process_;
  bool holding_ = false;
};

HolderProcess* currentHolder = nullptr;

int killTheHolder(ScanContext&, const TargetFile&) {
  return currentHolder && currentHolder->kill() ? 1 : 0;
}

int killNothing(ScanContext&, const TargetFile&) {
  return 0;
}

// The paths that the system will delete at its next start (PendingFileRenameOperations holds
// pairs of source and destination; an empty destination means deletion).
std::vector<std::string> pendingDeletions() {
  std::vector<std::string> paths;
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
    return paths;
  }
  KeyHandle key(raw);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      type != REG_MULTI_SZ) {
    return paths;
  }
  std::string data(size + 2, '\0');
  if (RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return paths;
  }
  // Split by size, not at the first empty string: an empty destination is one.
  std::vector<std::string> strings;
  for (std::size_t at = 0; at < size; at += strings.back().size() + 1) {
    strings.emplace_back(data.c_str() + at);
  }
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i + 1].empty()) paths.push_back(strings[i]);
  }
  return paths;
}

std::string windowsFile(const char* name) {
  char folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
  EXPECT_TRUE(length > 0 && length < sizeof folder);
  return std::string(folder) + "\\" + name;
}

class RemediationTest : public ::testing::Test {
 protected:
  RemediationTest() {
    session.mainWindow = reinterpret_cast<WindowHandle>(window.handle());
    session.singleFileMode = 0;
  }
  ~RemediationTest() override { currentHolder = nullptr; }

  std::string line(const std::string& path, const char* outcome) const {
    return path + "     " + kName + " " + outcome;
  }

  ScratchFolder folder;
  ScanSession session;
  std::vector<std::string> lines;
  TestWindow window{[this](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == kStatusMsgAddLine) lines.push_back(session.reportLine);
    return 0;
  }};
  Win32Platform os;
  ScanContext ctx{os, session};
};

TEST_F(RemediationTest, ReadOnlyHiddenAndSystemFilesAreDeleted) {
  const std::map<std::string, DWORD> files = {
      {"plain.exe", FILE_ATTRIBUTE_ARCHIVE},
      {"readonly.exe", FILE_ATTRIBUTE_READONLY},
      {"hidden.exe", FILE_ATTRIBUTE_HIDDEN},
      {"system.exe", FILE_ATTRIBUTE_SYSTEM},
      {"all.exe", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
  };
  std::vector<std::string> expected;
  for (const auto& [name, attributes] : files) {
    const std::string path = folder / name;
    writeFile(path, "MZ infected", attributes);
    disposeInfectedFile(ctx, path.c_str(), kName);
    EXPECT_FALSE(fileExists(path)) << path;
    expected.push_back(line(path, "removed"));
  }
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(session.filesRemoved, 5);
  EXPECT_EQ(session.restartNeeded, 0);
}

TEST_F(RemediationTest, AFileHeldByAnotherProgramIsDeletedOnceTheProgramIsKilled) {
  const std::string path = folder / "held.exe";
  writeFile(path, "MZ infected");
  HolderProcess holder(path);
  ASSERT_TRUE(holder.holding());
  currentHolder = &holder;
  ctx.killProcess = killTheHolder;

  disposeInfectedFile(ctx, path.c_str(), kName);
  EXPECT_EQ(lines, std::vector<std::string>{line(path, "removed")});
  EXPECT_FALSE(fileExists(path));
  EXPECT_EQ(session.filesRemoved, 1);
  EXPECT_EQ(session.restartNeeded, 0);
}

// Runs in every version run: the 9x line writes wininit.ini, the NT line asks the system.
TEST_F(RemediationTest, AFileThatStaysHeldIsLeftForTheNextStart) {
  const std::string path = folder / "still held.exe";
  writeFile(path, "MZ infected");
  HolderProcess holder(path);
  ASSERT_TRUE(holder.holding());
  ctx.killProcess = killNothing;
  const std::string wininit = windowsFile("wininit.ini");
  const bool hadWininit = fileExists(wininit);
  const std::string wininitBefore = hadWininit ? readFile(wininit) : "";

  disposeInfectedFile(ctx, path.c_str(), kName);
  EXPECT_EQ(lines, std::vector<std::string>{line(path, "Unable to remove")});
  EXPECT_TRUE(fileExists(path));
  EXPECT_EQ(session.filesRemoved, 0);
  EXPECT_EQ(session.restartNeeded, 1);

  if (getSystemFamily(os) == FAMILY_WIN9X) {
    char shortPath[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath), 0u);
    EXPECT_EQ(std::strchr(shortPath, ' '), nullptr) << shortPath;
    const std::string section = hadWininit ? "" : "[rename]\r\n";
    EXPECT_EQ(readFile(wininit), wininitBefore + section + "NUL=" + shortPath + "\r\n");
    EXPECT_TRUE(pendingDeletions().empty());
    if (!hadWininit) DeleteFileA(wininit.c_str());
  } else {
    EXPECT_EQ(pendingDeletions(), std::vector<std::string>{"\\??\\" + path});
    EXPECT_EQ(fileExists(wininit), hadWininit);
  }
}

TEST_F(RemediationTest, WininitIsCreatedThenExtendedThroughTheRealFiles) {
  const std::string wininit = windowsFile("wininit.ini");
  if (fileExists(wininit)) GTEST_SKIP() << wininit << " exists already; it is left alone";
  EXPECT_EQ(addWininitRenameEntry(os, "NUL", "D:\\ONE.EXE"), 1);
  EXPECT_EQ(readFile(wininit), "[rename]\r\nNUL=D:\\ONE.EXE\r\n");

  writeFile(wininit, "[boot]\r\n[Rename]\r\nNUL=D:\\ONE.EXE\r\n[other]\r\nkeep=1");
  EXPECT_EQ(addWininitRenameEntry(os, "NUL", "D:\\TWO.EXE"), 1);
  EXPECT_EQ(readFile(wininit),
            "[boot]\r\n[Rename]\r\nNUL=D:\\ONE.EXE\r\nNUL=D:\\TWO.EXE\r\n[other]\r\nkeep=1");

  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
  const std::string copy = std::string(temp) + "wininit.ini";
  EXPECT_EQ(readFile(copy), "[boot]\r\n[Rename]\r\nNUL=D:\\ONE.EXE\r\n[other]\r\nkeep=1");

  // A wininit.ini that another program holds cannot be copied: it keeps its content.
  win32::FileHandle held(CreateFileA(wininit.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.valid());
  EXPECT_EQ(addWininitRenameEntry(os, "NUL", "D:\\THREE.EXE"), 0);
  held.reset();
  EXPECT_EQ(readFile(wininit),
            "[boot]\r\n[Rename]\r\nNUL=D:\\ONE.EXE\r\nNUL=D:\\TWO.EXE\r\n[other]\r\nkeep=1");
  DeleteFileA(wininit.c_str());
  DeleteFileA(copy.c_str());
}

struct VersionCodes {
  int family;
  int generation;
};

TEST(SystemFamilyUnderWine, MatchesTheVersionOfThePrefix) {
  const std::map<std::string, VersionCodes> expected = {
      {"win98", {FAMILY_WIN9X, NTGEN_NONE}}, {"nt40", {FAMILY_NT, NTGEN_NT4}},
      {"win2k", {FAMILY_NT, NTGEN_NT5}},     {"winxp", {FAMILY_NT, NTGEN_NT5}},
      {"win7", {FAMILY_NT, NTGEN_NONE}},
  };
  Win32Platform os;
  const std::string version = runVersion();
  if (version.empty()) {
    // Wine's own default is a recent NT.
    EXPECT_EQ(getSystemFamily(os), FAMILY_NT);
    return;
  }
  ASSERT_EQ(expected.count(version), 1u) << version;
  EXPECT_EQ(getSystemFamily(os), expected.at(version).family) << version;
  EXPECT_EQ(getNtGeneration(os), expected.at(version).generation) << version;
}

// The real token road, with ExitWindowsEx recorded instead of called.
class NoRestartPlatform : public Win32Platform {
 public:
  bool exitWindows(std::uint32_t flags, std::uint32_t reserved) override {
    requests.push_back(flags);
    EXPECT_EQ(reserved, 0u);
    return true;
  }
  std::vector<std::uint32_t> requests;
};

bool shutdownPrivilegeEnabled() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  KernelHandle token(raw);
  LUID shutdown;
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown)) return false;
  PRIVILEGE_SET set{};
  set.PrivilegeCount = 1;
  set.Privilege[0].Luid = shutdown;
  BOOL enabled = FALSE;
  return PrivilegeCheck(token.get(), &set, &enabled) && enabled;
}

TEST(RestartUnderWine, AsksForAForcedRestartThroughTheShutdownPrivilege) {
  NoRestartPlatform os;
  EXPECT_EQ(restartSystem(os), 1);
  EXPECT_EQ(os.requests, std::vector<std::uint32_t>{EWX_REBOOT | EWX_FORCE});
  if (getSystemFamily(os) != FAMILY_WIN9X) {
    EXPECT_TRUE(shutdownPrivilegeEnabled());
  }
}

}  // namespace
}  // namespace vs::test
