// Starts the real tool with a command line, as a deployment tool would, and checks what it leaves:
// no window of its own in a silent run, the report file, the exit code, and a machine changed only
// where the run may change it. Runs inside the prefix (tests/wine/run-in-prefix) beside
// vantosweeper.exe.
//
//   unattended_driver.exe silent | silent-detect | silent-while-open | window-report |
//                         command-line | wide-names | wide-names-held | wide-names-window |
//                         wide-names-9x
//
// Output, one line each: "ok <what>" or "FAIL <what>", and "report <line>" for the report file.
// The exit code is the number of failed checks (capped at 100), or 101 when the scenario could
// not be run at all.
#include <windows.h>
// After windows.h, whose types it uses.
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "demo_machine.h"
#include "engine/signature_record.h"
#include "runnable_sample.h"
#include "sample_builder.h"
#include "scenario.h"
#include "tool_window.h"
#include "wide_machine.h"

namespace vs::uitest {
namespace {

constexpr int kScan = 1052, kOk = 1070, kBoxSingleOk = 3;
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kScanTimeoutMs = 300000;
constexpr const char* kMemoryLine = "System Memory    W32/Talvorn.Trojan  removed";
constexpr const char* kRunLine = "System Registry     W32/Talvorn.Trojan removed";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

int failures = 0;

void line(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

bool expect(bool condition, const std::string& what) {
  line((condition ? "ok " : "FAIL ") + what);
  if (!condition) ++failures;
  return condition;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The tool started with a command line; its windows, looked for while it runs.
class Tool {
 public:
  explicit Tool(const std::string& arguments) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "C:\\vs-run\\vantosweeper.exe " + arguments;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != FALSE;
  }
  Tool(const Tool&) = delete;
  Tool& operator=(const Tool&) = delete;
  ~Tool() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  bool started() const { return started_; }

  // Every window of the process: top-level (shown or hidden) and message-only.
  std::vector<HWND> windows() const {
    Search search{process_.dwProcessId, {}};
    EnumWindows(&collect, reinterpret_cast<LPARAM>(&search));
    for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == process_.dwProcessId) search.found.push_back(w);
    }
    return search.found;
  }

  // Waits for the end, looking for windows all the while; the number of windows seen at most.
  bool waitWithoutWindows(DWORD timeoutMs, DWORD& exitCode, std::size_t& windowsSeen) const {
    windowsSeen = 0;
    const DWORD start = GetTickCount();
    for (;;) {
      windowsSeen = std::max(windowsSeen, windows().size());
      if (WaitForSingleObject(process_.hProcess, 20) == WAIT_OBJECT_0) break;
      if (GetTickCount() - start >= timeoutMs) return false;
    }
    GetExitCodeProcess(process_.hProcess, &exitCode);
    return true;
  }

  bool ended(DWORD timeoutMs, DWORD& exitCode) const {
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    return true;
  }

  // The tool's own message box shown without a main window.
  std::optional<MessageBoxView> waitForBox(DWORD timeoutMs) const {
    HWND box = nullptr;
    waitUntil(
        [&] {
          for (HWND w : windows()) {
            char name[16] = {};
            GetClassNameA(w, name, sizeof name);
            if (IsWindowVisible(w) && lstrcmpA(name, "#32770") == 0) box = w;
          }
          return box != nullptr;
        },
        timeoutMs);
    if (!box) return std::nullopt;
    return MessageBoxView{box};
  }

 private:
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  };
  static BOOL CALLBACK collect(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->found.push_back(window);
    return TRUE;
  }

  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

// The report file's lines, once its UTF-8 mark and its CR LF line ends were checked.
std::vector<std::string> readReport(const std::string& path) {
  std::vector<std::string> lines;
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (!expect(file != INVALID_HANDLE_VALUE, "the report file exists: " + path)) return lines;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  expect(bytes.rfind("\xEF\xBB\xBF", 0) == 0, "the report begins with the UTF-8 mark");
  std::string text = bytes.substr(std::min<std::size_t>(3, bytes.size()));
  bool crlf = true;
  for (std::size_t end; (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1)) {
    crlf = crlf && end > 0 && text[end - 1] == '\r';
    lines.push_back(text.substr(0, end > 0 && text[end - 1] == '\r' ? end - 1 : end));
  }
  expect(crlf && text.empty(), "every line of the report ends with CR LF");
  for (const std::string& l : lines) line("report " + l);
  return lines;
}

// Lines are compared ignoring letter case: the system names a running program's image with its
// folders' own spelling ("C:\users\Public..."), which may differ from the planted path's.
bool sameLine(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::size_t countOf(const std::vector<std::string>& lines, const std::string& wanted) {
  return static_cast<std::size_t>(std::count_if(
      lines.begin(), lines.end(), [&](const std::string& l) { return sameLine(l, wanted); }));
}

bool contains(const std::vector<std::string>& lines, const std::string& wanted) {
  return countOf(lines, wanted) > 0;
}

std::string statisticsLine(const char* name, std::size_t value) {
  return std::string("Total files ") + name + "\t\t:  " + std::to_string(value);
}

// Every file below a folder with its attributes, size and a checksum of its bytes.
void snapshotFolder(const std::string& folder, std::map<std::string, std::string>& out) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[path] = "folder";
      snapshotFolder(path, out);
      continue;
    }
    std::uint32_t sum = 2166136261u;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      char buffer[4096];
      DWORD got = 0;
      while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i)
          sum = (sum ^ static_cast<std::uint8_t>(buffer[i])) * 16777619u;
      }
      CloseHandle(file);
    }
    out[path] = std::to_string(entry.dwFileAttributes) + " " + std::to_string(entry.nFileSizeLow) +
                " " + std::to_string(sum);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
}

// The folders the demo machine plants, and the whole of D:.
std::map<std::string, std::string> snapshotDrives() {
  std::map<std::string, std::string> files;
  for (const char* folder : {"C:\\Program Files", "C:\\Downloads", "C:\\Users\\Public", "D:"}) {
    snapshotFolder(folder, files);
  }
  return files;
}

// The values of the keys the tool cleans.
std::map<std::string, std::string> snapshotRegistry() {
  std::map<std::string, std::string> values;
  for (const char* path :
       {kRunKey, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v"}) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    char name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
      DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
      if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) !=
          ERROR_SUCCESS) {
        break;
      }
      values[std::string(path) + " : " + name] =
          std::to_string(type) + " " + std::string(reinterpret_cast<char*>(data), dataLength);
    }
    RegCloseKey(key);
  }
  return values;
}

// The names of the running programs, the tool aside, in order.
std::vector<std::string> runningPrograms() {
  std::vector<std::string> names;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return names;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, "vantosweeper.exe") != 0) names.push_back(entry.szExeFile);
  }
  CloseHandle(snapshot);
  std::sort(names.begin(), names.end());
  return names;
}

// The demo machine with its infected program running; the infected files, the running one last.
std::vector<PlantedSample> plantWithRunningProgram() {
  std::vector<PlantedSample> planted = plantDemoMachine();
  if (planted.empty()) return {};
  const std::optional<PlantedSample> running = startInfectedProgram();
  if (!running) return {};
  planted.push_back(*running);
  return planted;
}

// ---------------------------------------------------------------------------------------------

int silent() {
  const std::vector<PlantedSample> planted = plantWithRunningProgram();
  if (!expect(!planted.empty(), "the demo machine is planted, its infected program running")) {
    return 101;
  }
  const std::string report = "C:\\vs-run\\reports\\PC 01.txt";
  CreateDirectoryA("C:\\vs-run\\reports", nullptr);
  Tool tool("/SILENT \"/report:" + report + "\"");
  if (!expect(tool.started(), "the tool starts")) return 101;
  DWORD exitCode = 0;
  std::size_t windows = 0;
  expect(tool.waitWithoutWindows(kScanTimeoutMs, exitCode, windows), "the silent run ends");
  expect(windows == 0,
         "no window of the tool's process ever existed (" + std::to_string(windows) + " seen)");
  expect(exitCode == 1,
         "exit code 1: found, and everything removed (" + std::to_string(exitCode) + ")");

  const std::vector<std::string> lines = readReport(report);
  const PlantedSample& running = planted.back();
  expect(contains(lines, kMemoryLine), "the memory line");
  expect(contains(lines, running.path + "     W32/Talvorn.Trojan  removed"),
         "the running program's image is removed");
  for (std::size_t i = 0; i + 1 < planted.size(); ++i) {
    expect(contains(lines, planted[i].path + "     " + planted[i].detectionName + " removed"),
           "report line for " + planted[i].path);
  }
  for (const PlantedSample& sample : planted) {
    expect(!fileExists(sample.path), "infected file removed: " + sample.path);
  }
  expect(contains(lines, kRunLine) && !runValuePresent(), "the Run value is removed and reported");
  const std::size_t n = lines.size();
  expect(n >= 7 && lines[n - 7] == " " && lines[n - 6] == "Scanning statistics" &&
             lines[n - 3] == statisticsLine("infected", planted.size()) &&
             lines[n - 2] == statisticsLine("removed", planted.size()) &&
             lines[n - 1] == "Scanning completed",
         "the report ends with the statistics block and the final status");
  for (const std::string& clean : demoCleanFiles()) {
    expect(fileExists(clean), "clean file kept: " + clean);
  }
  return failures;
}

int silentDetect() {
  const std::vector<PlantedSample> planted = plantWithRunningProgram();
  if (!expect(!planted.empty(), "the demo machine is planted, its infected program running")) {
    return 101;
  }
  const auto filesBefore = snapshotDrives();
  const auto registryBefore = snapshotRegistry();
  Tool tool("-silent -DETECT -report:C:\\vs-run\\audit.txt");
  if (!expect(tool.started(), "the tool starts")) return 101;
  DWORD exitCode = 0;
  std::size_t windows = 0;
  expect(tool.waitWithoutWindows(kScanTimeoutMs, exitCode, windows), "the silent run ends");
  expect(windows == 0, "no window of the tool's process ever existed");
  expect(exitCode == 1, "exit code 1: found and reported (" + std::to_string(exitCode) + ")");

  const std::vector<std::string> lines = readReport("C:\\vs-run\\audit.txt");
  for (const PlantedSample& sample : planted) {
    const std::string wanted = sample.path + "     " + sample.detectionName + " detected";
    expect(countOf(lines, wanted) == 1, "reported once: " + wanted);
  }
  expect(contains(lines, statisticsLine("infected", planted.size())) &&
             contains(lines, statisticsLine("removed", 0)),
         "the statistics count every finding and no removal");
  expect(std::none_of(lines.begin(), lines.end(),
                      [](const std::string& l) { return l.rfind("System ", 0) == 0; }),
         "no memory or registry line");
  expect(snapshotDrives() == filesBefore,
         "the drives are unchanged (" + std::to_string(filesBefore.size()) + " entries)");
  expect(snapshotRegistry() == registryBefore, "the registry is unchanged");
  // Wine's own helpers come and go; the infected program must still run.
  const auto programs = runningPrograms();
  expect(std::find(programs.begin(), programs.end(), "update_helper.exe") != programs.end(),
         "the infected program still runs");
  return failures;
}

int silentWhileOpen() {
  const std::vector<PlantedSample> planted = plantDemoMachine();
  if (!expect(!planted.empty(), "the demo machine is planted")) return 101;
  Tool window("");
  const auto main = window.started() ? ToolWindow::waitFor(kStartTimeoutMs) : std::nullopt;
  if (!expect(main.has_value(), "the tool's window is open")) return 101;

  Tool second("/silent /report:C:\\vs-run\\second.txt");
  DWORD exitCode = 0;
  std::size_t windows = 0;
  const bool ended = second.waitWithoutWindows(30000, exitCode, windows);
  expect(ended && exitCode == 2,
         "a silent run while the window is open ends with 2 (" + std::to_string(exitCode) + ")");
  expect(windows == 0, "the second run showed no window");
  expect(!fileExists("C:\\vs-run\\second.txt"), "it wrote no report");
  for (const PlantedSample& sample : planted) {
    expect(fileExists(sample.path), "nothing was scanned or removed: " + sample.path);
  }
  expect(main->exists() && main->visible(kScan) && main->enabled(kScan),
         "the open window goes on as it was");
  main->keyPress(VK_ESCAPE);
  expect(window.ended(10000, exitCode) && exitCode == 0,
         "the window started by hand still ends with 0");
  return failures;
}

int windowReport() {
  const std::vector<PlantedSample> planted = plantDemoMachine();
  if (!expect(!planted.empty(), "the demo machine is planted")) return 101;
  Tool tool("/report:C:\\vs-run\\window.txt");
  const auto window = tool.started() ? ToolWindow::waitFor(kStartTimeoutMs) : std::nullopt;
  if (!expect(window.has_value(), "the main window appears")) return 101;
  expect(fileExists("C:\\vs-run\\window.txt"), "the report exists before the scan");
  window->click(kScan);
  expect(window->waitForStatus("Scanning completed", kScanTimeoutMs), "the scan completes");
  Sleep(300);
  std::vector<std::string> shown = window->reportLines();
  window->click(kOk);
  DWORD exitCode = 0;
  const bool ended = tool.ended(10000, exitCode);
  expect(ended && exitCode == 1,
         "OK ends the program with 1: found and removed (" + std::to_string(exitCode) + ")");
  shown.push_back("Scanning completed");
  expect(readReport("C:\\vs-run\\window.txt") == shown,
         "the report holds the list's lines and the final status, line for line");
  return failures;
}

int commandLine() {
  const std::vector<PlantedSample> planted = plantDemoMachine();
  if (!expect(!planted.empty(), "the demo machine is planted")) return 101;
  struct Case {
    const char* arguments;
    const char* boxText;  // the beginning of the box's text; null: a silent run shows nothing
  };
  const Case cases[] = {
      {"/frobnicate", "The command line cannot be used: unknown option /frobnicate."},
      {"/?", "vantosweeper [/silent]"},
      {"/report:C:\\missing\\r.txt", "The report file cannot be created:"},
      {"/silent /frobnicate", nullptr},
      {"/silent /?", nullptr},
      {"/silent /report:C:\\missing\\r.txt", nullptr},
  };
  for (const Case& c : cases) {
    Tool tool(c.arguments);
    if (!expect(tool.started(), std::string("the tool starts: ") + c.arguments)) continue;
    DWORD exitCode = 0;
    if (c.boxText) {
      const auto box = tool.waitForBox(kStartTimeoutMs);
      if (expect(box.has_value(), std::string("the tool's box opens: ") + c.arguments)) {
        expect(box->text().rfind(c.boxText, 0) == 0 && box->caption() == ToolWindow::kTitle,
               std::string("it says: ") + c.boxText);
        box->click(kBoxSingleOk);
      }
      expect(tool.ended(10000, exitCode) && exitCode == 2,
             std::string("OK ends it with 2: ") + c.arguments);
      expect(ToolWindow::countWindows() == 0, "no main window was opened");
    } else {
      std::size_t windows = 0;
      expect(tool.waitWithoutWindows(30000, exitCode, windows) && exitCode == 2 && windows == 0,
             std::string("ends with 2 and no window: ") + c.arguments);
    }
  }
  for (const PlantedSample& sample : planted) {
    expect(fileExists(sample.path), "nothing was scanned or removed: " + sample.path);
  }
  return failures;
}

// ---------------------------------------------------------------------------------------------
// Files that only the wide calls reach: names the code page cannot spell, paths longer than the
// ANSI calls' 260 characters.

constexpr const char* kMemoryFamily = "W32/Talvorn.Trojan";

// The machine of the wide scenarios, in "C:\Far Names": a sample whose name the code page cannot
// spell beside a clean file whose name it renders alike, and a sample 300 characters deep beside a
// clean file of the same folder; a Run value that starts each of the three, the first under a
// name the code page cannot spell either.
struct FarMachine {
  UnspellableNames names;
  std::wstring unspellable;    // infected
  std::wstring renderedAlike;  // clean
  std::wstring deep;           // infected, a path of 300 characters
  std::wstring deepClean;
  std::string detectionName;    // of both samples
  std::wstring unspellableRun;  // Run values by name
  std::wstring renderedAlikeRun;
  std::wstring deepRun;
};

constexpr std::size_t kDeepPathLength = 300;

std::optional<FarMachine> plantFarMachine() {
  const std::optional<UnspellableNames> names = unspellableNames();
  if (!expect(names.has_value(), "a name that the ANSI code page cannot spell"))
    return std::nullopt;
  line("note code page " + std::to_string(names->codePage) + " renders " + utf8(names->first) +
       " and " + utf8(names->second) + " alike, as " + names->rendering);
  const std::wstring folder = L"C:\\Far Names";
  const std::wstring sampleName = L"\\sample.exe";
  const std::wstring deepFolder =
      folderOfLength(folder + L"\\deep", kDeepPathLength - sampleName.size());
  FarMachine machine{*names,
                     folder + L"\\" + names->first + L".exe",
                     folder + L"\\" + names->second + L".exe",
                     deepFolder + sampleName,
                     deepFolder + L"\\sample copy.exe",
                     kSignatureTable[0].name,
                     names->first + L" updater",
                     L"vs-far-alike",
                     L"vs-far-deep"};
  const bool written =
      writeWideFile(machine.unspellable, samples::sample(1)) &&
      writeWideFile(machine.renderedAlike, samples::lookAlike(2)) &&
      writeWideFile(machine.deep, samples::sample(3)) &&
      writeWideFile(machine.deepClean, samples::lookAlike(4)) &&
      setRunValue(machine.unspellableRun, L"\"" + machine.unspellable + L"\" /autorun") &&
      setRunValue(machine.renderedAlikeRun, L"\"" + machine.renderedAlike + L"\"") &&
      setRunValue(machine.deepRun, machine.deep + L" -q");
  if (!expect(written && machine.deep.size() == kDeepPathLength,
              "the samples and their clean neighbours are written")) {
    return std::nullopt;
  }
  return machine;
}

std::string fileLine(const std::wstring& path, const std::string& name, const char* outcome) {
  return utf8(path) + "     " + name + " " + outcome;
}

bool hasLine(const std::vector<std::string>& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

bool namesNotScanned(const std::vector<std::string>& lines) {
  const std::string suffix = "     Not scanned";
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.size() >= suffix.size() &&
           l.compare(l.size() - suffix.size(), suffix.size(), suffix) == 0;
  });
}

// The files that the system deletes at its next start, by the paths it recorded: the sources of
// PendingFileRenameOperations whose destination is empty, read as wide text.
std::vector<std::wstring> pendingDeletionsWide() {
  std::vector<std::wstring> paths;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return paths;
  }
  DWORD type = 0;
  DWORD size = 0;
  std::wstring data;
  if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) ==
          ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    data.assign(size / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
      data.clear();
    }
  }
  RegCloseKey(key);
  // Split by size, not at the first empty string: an empty destination is one.
  std::vector<std::wstring> strings;
  for (std::size_t at = 0; at < size / sizeof(wchar_t) && at < data.size();
       at += strings.back().size() + 1) {
    strings.emplace_back(data.c_str() + at);
  }
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i + 1].empty()) paths.push_back(strings[i]);
  }
  return paths;
}

// Both samples and a running program whose folder and name the code page cannot spell are found,
// reported as the system names them, counted and removed; the clean files stay; every file of
// the drives is counted as scanned.
int wideNames() {
  const std::optional<FarMachine> machine = plantFarMachine();
  if (!machine) return 101;
  const std::wstring running =
      L"C:\\Far Names\\" + machine->names.first + L"\\" + machine->names.second + L".exe";
  const auto program = samples::buildRunnableSample(kSignatureTable[29], {});
  HANDLE process =
      program && writeWideFile(running, *program) ? startWideProgram(running) : nullptr;
  if (!expect(process != nullptr && WaitForSingleObject(process, 500) == WAIT_TIMEOUT,
              "the infected program runs: " + utf8(running))) {
    return 101;
  }
  // A program cannot be started from a path longer than 260 characters (CreateProcess refuses it
  // with ERROR_INVALID_NAME, on Windows as under Wine): the deep sample lies still.
  const std::size_t filesBefore = countFiles(L"C:") + countFiles(L"D:");

  const std::string report = "C:\\vs-run\\far names.txt";
  Tool tool("/silent \"/report:" + report + "\"");
  if (!expect(tool.started(), "the tool starts")) return 101;
  DWORD exitCode = 0;
  std::size_t windows = 0;
  expect(tool.waitWithoutWindows(kScanTimeoutMs, exitCode, windows), "the silent run ends");
  expect(exitCode == 1,
         "exit code 1: found, and everything removed (" + std::to_string(exitCode) + ")");
  expect(WaitForSingleObject(process, 5000) == WAIT_OBJECT_0, "the infected program was killed");
  CloseHandle(process);

  const std::vector<std::string> lines = readReport(report);
  const std::string name = machine->detectionName;
  const auto memory = std::find(lines.begin(), lines.end(), kMemoryLine);
  expect(memory != lines.end() && memory + 1 != lines.end() &&
             memory[1] == fileLine(running, kMemoryFamily, " removed"),
         "the memory line, then the running program's image by its wide path");
  expect(hasLine(lines, fileLine(machine->unspellable, name, "removed")),
         "the unspellable sample is reported by its wide name");
  expect(hasLine(lines, fileLine(machine->deep, name, "removed")),
         "the deep sample is reported by its whole path");
  expect(!namesNotScanned(lines), "nothing is named as not scanned");
  expect(std::count(lines.begin(), lines.end(), kRunLine) == 2 &&
             !runValueExists(machine->unspellableRun) && !runValueExists(machine->deepRun),
         "the Run values that start the two samples are removed and reported");
  expect(runValueExists(machine->renderedAlikeRun),
         "the Run value that starts the clean file rendered alike stays");
  const std::size_t n = lines.size();
  // The report file is made before the scan; the running program's image goes before the walk.
  const std::size_t scanned = filesBefore + 1 - 1;
  expect(n >= 7 && lines[n - 4] == statisticsLine("scanned", scanned) &&
             lines[n - 3] == statisticsLine("infected", 3) &&
             lines[n - 2] == statisticsLine("removed", 3) && lines[n - 1] == "Scanning completed",
         "the statistics count every file of the drives (" + std::to_string(scanned) +
             ") and the three infected ones");
  for (const std::wstring& gone : {running, machine->unspellable, machine->deep}) {
    expect(!wideFileExists(gone), "infected file removed: " + utf8(gone));
  }
  for (const std::wstring& kept : {machine->renderedAlike, machine->deepClean}) {
    expect(wideFileExists(kept), "clean file kept: " + utf8(kept));
  }
  return failures;
}

// The two samples held open by this driver without letting anyone delete them: the tool can
// neither delete them nor kill their holder, and leaves their deletion for the next start under
// their whole wide paths.
int wideNamesHeld() {
  const std::optional<FarMachine> machine = plantFarMachine();
  if (!machine) return 101;
  if (!expect(holdWideFile(machine->unspellable) && holdWideFile(machine->deep),
              "both samples are held open")) {
    return 101;
  }
  const std::string report = "C:\\vs-run\\held.txt";
  Tool tool("/silent /report:" + report);
  if (!expect(tool.started(), "the tool starts")) return 101;
  DWORD exitCode = 0;
  std::size_t windows = 0;
  expect(tool.waitWithoutWindows(kScanTimeoutMs, exitCode, windows), "the silent run ends");
  expect(windows == 0, "no window, not even the box that the kill shows when it fails");
  expect(exitCode == 3,
         "exit code 3: something remains for the next start (" + std::to_string(exitCode) + ")");

  const std::vector<std::string> lines = readReport(report);
  const std::string name = machine->detectionName;
  for (const std::wstring& held : {machine->unspellable, machine->deep}) {
    expect(hasLine(lines, fileLine(held, name, "Unable to remove")),
           "reported as not removed by its wide path: " + utf8(held));
    expect(wideFileExists(held), "it is still there: " + utf8(held));
  }
  expect(
      hasLine(lines, statisticsLine("infected", 2)) && hasLine(lines, statisticsLine("removed", 0)),
      "the statistics count both and no removal");
  // Read before the driver ends: the prefix's next start would carry the deletions out.
  const std::vector<std::wstring> pending = pendingDeletionsWide();
  for (const std::wstring& held : {machine->unspellable, machine->deep}) {
    expect(std::count(pending.begin(), pending.end(), L"\\??\\" + held) == 1,
           "recorded once for deletion at the next start by its whole path: " + utf8(held));
  }
  expect(pending.size() == 2, "nothing else is recorded (" + std::to_string(pending.size()) + ")");
  return failures;
}

// The window's list shows the lines about such files as the system names them, and the report
// file holds the list's lines.
int wideNamesWindow() {
  const std::optional<FarMachine> machine = plantFarMachine();
  if (!machine) return 101;
  Tool tool("/report:C:\\vs-run\\window.txt");
  const auto window = tool.started() ? ToolWindow::waitFor(kStartTimeoutMs) : std::nullopt;
  if (!expect(window.has_value(), "the main window appears")) return 101;
  window->click(kScan);
  expect(window->waitForStatus("Scanning completed", kScanTimeoutMs), "the scan completes");
  Sleep(300);
  std::vector<std::string> shown = window->reportLines(CP_UTF8);
  window->click(kOk);
  DWORD exitCode = 0;
  const bool ended = tool.ended(10000, exitCode);
  expect(ended && exitCode == 1, "OK ends the program with 1 (" + std::to_string(exitCode) + ")");
  const std::string name = machine->detectionName;
  expect(hasLine(shown, fileLine(machine->unspellable, name, "removed")) &&
             hasLine(shown, fileLine(machine->deep, name, "removed")),
         "the list shows both lines in the system's own characters");
  shown.push_back("Scanning completed");
  expect(readReport("C:\\vs-run\\window.txt") == shown,
         "the report holds the list's lines and the final status, line for line");
  return failures;
}

// The 9x line has no wide calls: the tool passes such files over and the report file names each
// as not scanned (the unspellable names as the code page lists them, the deep sample by the first
// folder that the ANSI calls cannot enter); nothing is found or changed.
int wideNames9x() {
  const std::optional<FarMachine> machine = plantFarMachine();
  if (!machine) return 101;
  const std::string report = "C:\\vs-run\\9x.txt";
  Tool tool("/silent /report:" + report);
  if (!expect(tool.started(), "the tool starts")) return 101;
  DWORD exitCode = 0;
  std::size_t windows = 0;
  expect(tool.waitWithoutWindows(kScanTimeoutMs, exitCode, windows), "the silent run ends");
  expect(exitCode == 0, "exit code 0: nothing found (" + std::to_string(exitCode) + ")");

  const std::vector<std::string> lines = readReport(report);
  const std::string suffix = "     Not scanned";
  const std::string rendered = "C:\\Far Names\\" + machine->names.rendering + ".exe" + suffix;
  expect(std::count(lines.begin(), lines.end(), rendered) == 2,
         "both unspellable names are named as not scanned: " + rendered);
  const std::string deep = utf8(machine->deep);
  expect(std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) {
                       if (l.size() <= suffix.size() || !l.ends_with(suffix)) return false;
                       const std::string folder = l.substr(0, l.size() - suffix.size()) + "\\";
                       return deep.size() > 260 && deep.rfind(folder, 0) == 0;
                     }),
         "a folder on the way to the deep sample is named as not scanned");
  expect(hasLine(lines, statisticsLine("infected", 0)), "nothing is counted as infected");
  expect(runValueExists(machine->unspellableRun) && runValueExists(machine->renderedAlikeRun) &&
             runValueExists(machine->deepRun),
         "the Run values stay");
  for (const std::wstring& kept :
       {machine->unspellable, machine->renderedAlike, machine->deep, machine->deepClean}) {
    expect(wideFileExists(kept), "left in place: " + utf8(kept));
  }
  return failures;
}

}  // namespace
}  // namespace vs::uitest

int main(int argc, char** argv) {
  using namespace vs::uitest;
  const Scenario scenarios[] = {
      {"silent", silent},
      {"silent-detect", silentDetect},
      {"silent-while-open", silentWhileOpen},
      {"window-report", windowReport},
      {"command-line", commandLine},
      {"wide-names", wideNames},
      {"wide-names-held", wideNamesHeld},
      {"wide-names-window", wideNamesWindow},
      {"wide-names-9x", wideNames9x},
  };
  const std::string wanted = argc > 1 ? argv[1] : "";
  return runScenario(
      wanted, scenarios,
      "usage: unattended_driver silent|silent-detect|silent-while-open|window-report|"
      "command-line|wide-names|wide-names-held|wide-names-window|wide-names-9x\n");
}
