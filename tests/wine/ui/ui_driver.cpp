// Drives the real tool from outside, as a user would: it prepares the machine, starts
// vantosweeper.exe from its own folder, clicks and types into it, reads what it shows and checks
// it. Runs inside the prefix (tests/wine/run-in-prefix); the scenario scripts next to it run it and
// take the screenshots it asks for.
//
//   ui_driver.exe full-scan | cancel | suite | restart | timed-scan | demo | demo-interactive
//   ui_driver.exe record-page ADDRESS     (the shell's handler for web addresses in the tests)
//
// Output, one line each: "ok <what>" or "FAIL <what>" for every check, "report <line>" for the
// report list, "rect <name> <left> <top> <right> <bottom>" for the places of controls relative to
// the window's top-left corner, and "shot <name> <x> <y> <width> <height>" when a screenshot of
// that screen area is wanted, after which the driver waits for one line on its standard input.
// The exit code is the number of failed checks (capped at 100), or 101 when the scenario could
// not be run at all.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "demo_machine.h"
#include "page_recorder.h"
#include "scenario.h"
#include "tool_window.h"

namespace vs::uitest {
namespace {

// Control ids of the main window and of the message box.
constexpr int kOk = 1070, kCancel = 2, kScan = 1052, kDownload = 1053, kClose = 1054;
constexpr int kStatusGroup = 1064, kStatusLine = 1065, kHeading = 1076, kTitleLine = 1068;
constexpr int kSuiteLine = 1075, kCopyright = 1072, kProductLine = 1074, kDlink = 1077;
constexpr int kUlink = 1080, kLogo = 1085, kReportGroup = 1034, kReportList = 1055;
constexpr int kBoxOk = 1, kBoxCancel = 2, kBoxSingleOk = 3, kBoxYes = 6, kBoxNo = 7;
constexpr int kBoxPicture = 1085;

// The maker's pages as the window's links name them, on the site the build configured.
constexpr const char* kSuitePage = VS_SITE "/pages/Ardentis-2013/pgid-336527.aspx";
constexpr const char* kToolsPage = VS_SITE "/pages/Virus-Removal-Tools/pgid-332271.aspx";

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kScanTimeoutMs = 300000;

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

void expectText(const std::string& actual, const std::string& expected, const std::string& what) {
  expect(actual == expected, what + ": \"" + actual + "\"" +
                                 (actual == expected ? "" : " (want \"" + expected + "\")"));
}

// Asks the scenario script for a screenshot of the screen area and waits until it is taken.
void screenshot(const std::string& name, const RECT& area) {
  char request[160];
  std::snprintf(request, sizeof request, "shot %s %ld %ld %ld %ld", name.c_str(), area.left,
                area.top, area.right - area.left, area.bottom - area.top);
  line(request);
  char answer[64];
  if (!std::fgets(answer, sizeof answer, stdin)) line("note no screenshot taker is listening");
}

// Asks the scenario script to drag the pointer from (x, y) by (dx, dy) with the button held;
// false when nobody is there to do it.
bool drag(int x, int y, int dx, int dy) {
  char request[96];
  std::snprintf(request, sizeof request, "drag %d %d %d %d", x, y, dx, dy);
  line(request);
  char answer[64];
  return std::fgets(answer, sizeof answer, stdin) != nullptr;
}

void reportRect(const ToolWindow& tool, const std::string& name, int id) {
  RECT window{}, r = tool.controlRect(id);
  GetWindowRect(tool.hwnd(), &window);
  char text[160];
  std::snprintf(text, sizeof text, "rect %s %ld %ld %ld %ld", name.c_str(), r.left - window.left,
                r.top - window.top, r.right - window.left, r.bottom - window.top);
  line(text);
}

void reportBoxRect(const ToolWindow& tool, const MessageBoxView& box, const std::string& name,
                   int id) {
  RECT window{}, r = box.controlRect(id);
  GetWindowRect(tool.hwnd(), &window);
  char text[160];
  std::snprintf(text, sizeof text, "rect %s %ld %ld %ld %ld", name.c_str(), r.left - window.left,
                r.top - window.top, r.right - window.left, r.bottom - window.top);
  line(text);
}

// Where the box's close button is drawn: at the right end of its caption, inside its frame, as
// Wine's caption drawing places it.
void reportBoxCloseButton(const ToolWindow& tool, const MessageBoxView& box) {
  RECT window{}, frame{};
  GetWindowRect(tool.hwnd(), &window);
  GetWindowRect(box.hwnd, &frame);
  const int border = GetSystemMetrics(SM_CXDLGFRAME);
  const RECT r{frame.right - border - GetSystemMetrics(SM_CXSIZE), frame.top + border + 2,
               frame.right - border - 2, frame.top + border + GetSystemMetrics(SM_CYSIZE) - 2};
  char text[160];
  std::snprintf(text, sizeof text, "rect box-close %ld %ld %ld %ld", r.left - window.left,
                r.top - window.top, r.right - window.left, r.bottom - window.top);
  line(text);
}

// The screen area of the main window, which a screenshot covers: the box opens over it.
RECT windowArea(const ToolWindow& tool) {
  RECT r{};
  GetWindowRect(tool.hwnd(), &r);
  return r;
}

struct Tool {
  PROCESS_INFORMATION process{};
  bool started = false;

  bool start() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    char command[] = "C:\\vs-run\\vantosweeper.exe";
    started = CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process) != FALSE;
    return started;
  }
  // The exit code once the process has ended within the time, else nothing.
  bool ended(DWORD timeoutMs, DWORD& exitCode) const {
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process.hProcess, &exitCode);
    return true;
  }
  ~Tool() {
    if (!started) return;
    // A tool that a failed scenario left running is ended so that the run can finish.
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
};

// One row of the main window's state table: which controls are shown and which enabled.
struct Expected {
  int id;
  const char* name;
  bool shown;
  bool enabled;
};

void expectStates(const ToolWindow& tool, const char* state, std::initializer_list<Expected> rows) {
  for (const Expected& row : rows) {
    const bool shown = tool.visible(row.id);
    const bool enabled = tool.enabled(row.id);
    expect(shown == row.shown && enabled == row.enabled,
           std::string(state) + ": " + row.name + (row.shown ? " shown" : " hidden") +
               (row.enabled ? ", enabled" : ", disabled"));
  }
}

void expectIdleTexts(const ToolWindow& tool) {
  expectText(windowText(tool.hwnd()), "Vantosweeper Ver 1.0", "window title");
  expectText(tool.text(kProductLine),
             "Vantosweeper Ver 1.0 - Tool to detect and remove all the variants of W32/Talvorn "
             "Trojan ",
             "product line");
  expectText(tool.text(kTitleLine), "for W32/Talvorn Trojan ", "title line");
  expectText(tool.text(kStatusLine), "Static", "status line before any scan");
}

void expectWindowShape(const ToolWindow& tool) {
  RECT window{};
  GetWindowRect(tool.hwnd(), &window);
  expect(window.right - window.left == 600 && window.bottom - window.top == 462,
         "window rectangle is 600 x 462");
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  RECT box{};
  const int kind = GetWindowRgn(tool.hwnd(), region);
  GetRgnBox(region, &box);
  DeleteObject(region);
  expect(kind != ERROR && box.left == 0 && box.top == 0 && box.right == 527 && box.bottom == 338,
         "window region is the 527 x 338 picture");
  struct Size {
    int id;
    const char* name;
    LONG w, h;
  };
  for (const Size& s :
       {Size{kScan, "SCAN", 180, 33}, Size{kDownload, "DOWNLOAD", 180, 33},
        Size{kClose, "X", 21, 21}, Size{kDlink, "DLINK", 350, 43}, Size{kUlink, "ULINK", 350, 28},
        Size{kLogo, "logo", 100, 36}, Size{kOk, "OK", 92, 24}, Size{kCancel, "CANCEL", 92, 24}}) {
    const SIZE size = tool.controlSize(s.id);
    expect(size.cx == s.w && size.cy == s.h, std::string(s.name) + " takes its picture's size " +
                                                 std::to_string(s.w) + " x " + std::to_string(s.h));
  }
}

void reportPlaces(const ToolWindow& tool) {
  RECT window{};
  GetWindowRect(tool.hwnd(), &window);
  POINT origin{0, 0};
  ClientToScreen(tool.hwnd(), &origin);
  char text[80];
  std::snprintf(text, sizeof text, "rect client %ld %ld 0 0", origin.x - window.left,
                origin.y - window.top);
  line(text);
  for (auto [name, id] :
       {std::pair{"scan", kScan}, std::pair{"download", kDownload}, std::pair{"close", kClose},
        std::pair{"dlink", kDlink}, std::pair{"ulink", kUlink}, std::pair{"logo", kLogo},
        std::pair{"ok", kOk}, std::pair{"cancel", kCancel}, std::pair{"title", kTitleLine},
        std::pair{"product", kProductLine}, std::pair{"copyright", kCopyright},
        std::pair{"suite", kSuiteLine}, std::pair{"heading", kHeading},
        std::pair{"statusgroup", kStatusGroup}, std::pair{"status", kStatusLine},
        std::pair{"reportgroup", kReportGroup}, std::pair{"list", kReportList}}) {
    reportRect(tool, name, id);
  }
}

void printReport(const ToolWindow& tool) {
  for (const std::string& report : tool.reportLines()) line("report " + report);
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Keeps the pointer in a corner, away from the window, so that no button lights up by chance.
void parkPointer() {
  movePointer(0, 0);
}

std::string statisticsLine(const char* name, int value) {
  return std::string("Total files ") + name + "\t\t:  " + std::to_string(value);
}

int scannedCount(const std::vector<std::string>& lines) {
  const std::string prefix = "Total files scanned\t\t:  ";
  for (const std::string& l : lines) {
    if (l.rfind(prefix, 0) == 0) return std::atoi(l.c_str() + prefix.size());
  }
  return -1;
}

// ---------------------------------------------------------------------------------------------

int fullScan() {
  const std::vector<PlantedSample> planted = plantDemoMachine();
  if (!expect(!planted.empty(), "the demo machine is planted")) return 101;
  parkPointer();
  Tool tool;
  if (!expect(tool.start(), "the tool starts")) return 101;
  const auto window = ToolWindow::waitFor(kStartTimeoutMs);
  if (!expect(window.has_value(), "the main window appears")) return 101;
  const ToolWindow& w = *window;
  Sleep(500);

  expectIdleTexts(w);
  expectWindowShape(w);
  RECT area{}, placed = windowArea(w);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  expect(placed.left == area.left + (area.right - area.left - 600) / 2 &&
             placed.top == area.top + (area.bottom - area.top - 462) / 2,
         "the window opens centred on the screen");
  expectStates(w, "idle",
               {{kScan, "SCAN", true, true},
                {kDownload, "DOWNLOAD", true, true},
                {kDlink, "DLINK", true, true},
                {kUlink, "ULINK", true, true},
                {kClose, "X", true, true},
                {kLogo, "logo", true, true},
                {kTitleLine, "title", true, true},
                {kCancel, "CANCEL", false, true},
                {kOk, "OK", false, false},
                {kProductLine, "product line", true, true},
                {kCopyright, "copyright", true, true},
                {kSuiteLine, "suite line", false, true},
                {kHeading, "heading", false, true},
                {kStatusLine, "status line", false, true},
                {kReportList, "list", false, true},
                {kReportGroup, "list frame", false, true},
                {kStatusGroup, "status frame", false, true}});
  expect(w.focus() == w.control(kScan), "SCAN opens with the keyboard focus");
  reportPlaces(w);
  screenshot("idle", windowArea(w));

  // Enter asks for the dialog's OK, which the main window ignores.
  w.keyPress(VK_RETURN);
  Sleep(400);
  expect(w.exists() && w.visible(kScan) && w.enabled(kScan) && !w.visible(kReportList),
         "Enter does nothing");

  // The links open the maker's pages through the shell, whose handler for web addresses is this
  // driver here: each opens exactly its page on the configured site.
  if (expect(registerPageRecorder(), "the shell's handler for web addresses records them")) {
    const std::pair<int, const char*> links[] = {
        {kDownload, kSuitePage}, {kDlink, kSuitePage}, {kUlink, kToolsPage}};
    const char* names[] = {"DOWNLOAD", "DLINK", "ULINK"};
    for (std::size_t i = 0; i < std::size(links); ++i) {
      w.click(links[i].first);
      waitUntil([&] { return openedPages().size() > i; }, 30000);
      const std::vector<std::string> pages = openedPages();
      expectText(pages.size() > i ? pages[i] : "(nothing opened)", links[i].second,
                 std::string(names[i]) + " opens");
    }
    expect(openedPages().size() == std::size(links), "each link opens one page");
  }

  // The pointer gives a button the focus; Space then presses it, also after the pointer left.
  w.pointAt(kDownload);
  expect(waitUntil([&] { return w.focus() == w.control(kDownload); }, 3000),
         "the pointer over DOWNLOAD gives it the focus");
  w.pointAt(kScan);
  expect(waitUntil([&] { return w.focus() == w.control(kScan); }, 3000),
         "the pointer over SCAN gives it the focus");
  parkPointer();
  Sleep(300);
  expect(w.focus() == w.control(kScan), "SCAN keeps the focus after the pointer left");
  w.keyPress(VK_SPACE);
  if (!expect(waitUntil([&] { return !w.enabled(kScan); }, 5000), "Space presses SCAN")) {
    w.click(kScan);
  }

  const bool completed = w.waitForStatus("Scanning completed", kScanTimeoutMs);
  expect(completed, "the scan ends with \"Scanning completed\"");
  Sleep(300);
  const std::vector<std::string> lines = w.reportLines();
  printReport(w);
  for (const PlantedSample& sample : planted) {
    const std::string wanted = sample.path + "     " + sample.detectionName + " removed";
    bool found = false;
    for (const std::string& l : lines) found = found || l == wanted;
    expect(found, "report line \"" + wanted + "\"");
    expect(!fileExists(sample.path), "infected file removed: " + sample.path);
  }
  // The Run value that started one of them goes first, reported under the family's name.
  const std::string runFileLine =
      std::string(kPlantedRunTarget) + "     W32/Talvorn.Ckk.Trojan removed";
  const auto runFile = std::find(lines.begin(), lines.end(), runFileLine);
  expect(runFile != lines.begin() && runFile != lines.end() &&
             *(runFile - 1) == "System Registry     W32/Talvorn.Trojan removed",
         "the Run value is reported removed before its file");
  expect(!runValuePresent(), "the Run value is gone from the registry");
  for (const std::string& clean : demoCleanFiles()) {
    expect(fileExists(clean), "clean file kept: " + clean);
  }
  const int count = static_cast<int>(planted.size());
  const std::size_t n = lines.size();
  const bool hasBlock = n >= 6;
  expect(hasBlock && lines[n - 6] == " " && lines[n - 5] == "Scanning statistics" &&
             lines[n - 4] == std::string(30, '-') &&
             lines[n - 2] == statisticsLine("infected", count) &&
             lines[n - 1] == statisticsLine("removed", count),
         "the report ends with the statistics block");
  expect(scannedCount(lines) >= static_cast<int>(demoCleanFiles().size()) + count,
         "every file of the tree was scanned (" + std::to_string(scannedCount(lines)) + ")");
  expectStates(w, "finished",
               {{kScan, "SCAN", true, false},
                {kDownload, "DOWNLOAD", true, true},
                {kDlink, "DLINK", false, false},
                {kUlink, "ULINK", false, false},
                {kCancel, "CANCEL", false, true},
                {kOk, "OK", true, true},
                {kProductLine, "product line", false, true},
                {kHeading, "heading", false, true},
                {kStatusLine, "status line", true, true},
                {kReportList, "list", true, true},
                {kReportGroup, "list frame", true, true},
                {kStatusGroup, "status frame", true, true}});
  expectText(w.text(kStatusGroup), "", "status frame caption after the scan");
  screenshot("finished", windowArea(w));

  // A second copy finds this one and ends at once, without a window of its own.
  Tool second;
  DWORD secondExit = 1;
  expect(second.start() && second.ended(15000, secondExit) && secondExit == 0,
         "a second start ends silently");
  expect(ToolWindow::countWindows() == 1, "only one window carries the title");

  w.click(kOk);
  DWORD exitCode = 1;
  expect(tool.ended(10000, exitCode) && exitCode == 0, "OK ends the program");

  // With no scan running, Escape closes the program without a question.
  Tool again;
  const auto another = again.start() ? ToolWindow::waitFor(kStartTimeoutMs) : std::nullopt;
  if (expect(another.has_value(), "the tool starts again")) {
    another->keyPress(VK_ESCAPE);
    expect(again.ended(10000, exitCode) && exitCode == 0 && !another->messageBoxOpen(),
           "Escape without a scan ends the program at once");
  }
  return failures;
}

// Clicks a button that opens the cancel question and returns the box, checked.
std::optional<MessageBoxView> askToCancel(const ToolWindow& w, const char* how,
                                          const char* caption) {
  auto box = w.waitForMessageBox(10000);
  if (!expect(box.has_value(), std::string(how) + " opens the question")) return box;
  expectText(box->text(), "Terminate the Scan now?", std::string(how) + ": question");
  expectText(box->caption(), caption, std::string(how) + ": caption");
  expect(box->buttonVisible(kBoxYes) && box->buttonVisible(kBoxNo) && !box->buttonVisible(kBoxOk) &&
             !box->buttonVisible(kBoxCancel) && !box->buttonVisible(kBoxSingleOk),
         std::string(how) + ": YES and NO only");
  expect(!IsWindowEnabled(w.hwnd()), std::string(how) + ": the main window waits");
  RECT main{}, question{};
  GetWindowRect(w.hwnd(), &main);
  GetWindowRect(box->hwnd, &question);
  expect(std::abs((main.left + main.right) - (question.left + question.right)) <= 1 &&
             std::abs((main.top + main.bottom) - (question.top + question.bottom)) <= 1,
         std::string(how) + ": the question stands centred over the main window");
  return box;
}

bool scanGoesOn(const ToolWindow& w, const char* after) {
  const bool closed = waitUntil([&] { return !w.messageBoxOpen(); }, 5000);
  const std::string before = w.text(kStatusLine);
  const bool moving = waitUntil([&] { return w.text(kStatusLine) != before; }, 5000);
  return expect(
      closed && moving && w.visible(kCancel) && !w.visible(kOk) && IsWindowEnabled(w.hwnd()),
      std::string("the scan goes on after ") + after);
}

int cancel() {
  parkPointer();
  Tool tool;
  if (!expect(tool.start(), "the tool starts")) return 101;
  const auto window = ToolWindow::waitFor(kStartTimeoutMs);
  if (!expect(window.has_value(), "the main window appears")) return 101;
  const ToolWindow& w = *window;
  w.click(kScan);
  // The walk of D:, the big scratch tree, leaves time for every question below.
  expect(waitUntil([&] { return w.text(kStatusLine).rfind("D:\\", 0) == 0; }, kScanTimeoutMs),
         "the scan reaches drive D:");
  expectStates(w, "scanning",
               {{kScan, "SCAN", true, false},
                {kDownload, "DOWNLOAD", true, true},
                {kDlink, "DLINK", false, false},
                {kUlink, "ULINK", false, false},
                {kCancel, "CANCEL", true, true},
                {kOk, "OK", false, true},
                {kProductLine, "product line", false, true},
                {kCopyright, "copyright", false, true},
                {kSuiteLine, "suite line", false, true},
                {kHeading, "heading", true, true},
                {kStatusLine, "status line", true, true},
                {kReportList, "list", true, true}});
  expectText(w.text(kHeading), "Searching for W32/Talvorn Trojan and its variants", "heading");
  expectText(w.text(kStatusGroup), "Scanning", "status frame caption");

  w.keyDown(VK_ESCAPE);
  if (auto box = askToCancel(w, "Escape", "Vantosweeper Ver 1.0")) {
    reportPlaces(w);
    reportBoxRect(w, *box, "box-picture", kBoxPicture);
    reportBoxRect(w, *box, "box-yes", kBoxYes);
    reportBoxRect(w, *box, "box-no", kBoxNo);
    reportBoxCloseButton(w, *box);
    screenshot("question", windowArea(w));
    box->click(kBoxNo);
    scanGoesOn(w, "NO");
  }
  w.click(kClose);
  if (auto box = askToCancel(w, "X", "DialogBoxTitle")) {
    // Enter answers OK, which is not Yes: the scan goes on.
    box->key(VK_RETURN);
    scanGoesOn(w, "Enter in the question");
  }
  w.click(kCancel);
  if (auto box = askToCancel(w, "CANCEL", "Vantosweeper Ver 1.0")) {
    box->key(VK_ESCAPE);
    scanGoesOn(w, "Escape in the question");
  }
  w.click(kCancel);
  if (auto box = askToCancel(w, "CANCEL again", "Vantosweeper Ver 1.0")) box->click(kBoxYes);
  expect(w.waitForStatus("Scanning terminated", 30000), "YES ends with \"Scanning terminated\"");
  Sleep(300);
  const std::vector<std::string> lines = w.reportLines();
  const std::size_t n = lines.size();
  expect(n >= 5 && lines[n - 5] == "Scanning statistics" &&
             lines[n - 1] == statisticsLine("removed", 0),
         "the statistics still follow a cancelled scan");
  expectStates(w, "after the cancel",
               {{kScan, "SCAN", true, false},
                {kCancel, "CANCEL", false, true},
                {kOk, "OK", true, true},
                {kHeading, "heading", false, true}});
  w.click(kOk);
  DWORD exitCode = 1;
  expect(tool.ended(10000, exitCode) && exitCode == 0, "OK ends the program");
  return failures;
}

int suite() {
  if (!expect(registerSuite(), "the suite's key is written")) return 101;
  parkPointer();
  Tool tool;
  if (!expect(tool.start(), "the tool starts")) return 101;
  const auto window = ToolWindow::waitFor(kStartTimeoutMs);
  if (!expect(window.has_value(), "the main window appears")) return 101;
  const ToolWindow& w = *window;
  Sleep(500);
  expectStates(w, "idle with the suite",
               {{kScan, "SCAN", true, true},
                {kDownload, "DOWNLOAD", true, false},
                {kDlink, "DLINK", false, false},
                {kUlink, "ULINK", true, true},
                {kSuiteLine, "suite line", true, true},
                {kProductLine, "product line", true, true}});
  expectText(w.text(kSuiteLine), "This program is a part of Ardentis antivirus software.",
             "suite line");
  // A press on a free spot of the window (the panel between the product and copyright lines)
  // drags it, as a caption would.
  const RECT before = windowArea(w);
  if (drag(before.left + 300, before.top + 150, 40, 20)) {
    RECT after{};
    expect(waitUntil(
               [&] {
                 GetWindowRect(w.hwnd(), &after);
                 return after.left == before.left + 40 && after.top == before.top + 20;
               },
               3000),
           "dragging a free spot moves the window with the pointer");
  }
  parkPointer();
  reportPlaces(w);
  screenshot("suite", windowArea(w));
  // CANCEL confirmed before the scan's first tick: the scan waits for the answer, then honours it.
  w.click(kScan);
  w.keyDown(VK_ESCAPE);
  if (auto box = askToCancel(w, "Escape right after SCAN", "Vantosweeper Ver 1.0")) {
    Sleep(600);
    // Opening the question re-copied the status text, which the engine has not written yet.
    expect(w.text(kStatusLine).empty() && w.reportLines().empty(),
           "no scan runs while the question is open");
    box->click(kBoxYes);
  }
  expect(w.waitForStatus("Scanning terminated", 30000),
         "Yes before the first tick ends the scan with \"Scanning terminated\"");
  const std::vector<std::string> lines = w.reportLines();
  expect(!lines.empty() && lines.back() == statisticsLine("removed", 0),
         "the statistics follow the early cancel");
  w.click(kOk);
  DWORD exitCode = 1;
  expect(tool.ended(10000, exitCode) && exitCode == 0, "OK ends the program");
  return failures;
}

// A file that its holder never lets go: the tool can neither delete it nor kill the holder (the
// system's box says so), schedules its deletion for the next start and ends the scan with the
// restart question. Under each box the status line shows what stands: the file, then the final
// status.
int restart() {
  const std::optional<PlantedSample> held = plantHeldSample();
  if (!expect(held.has_value(), "an infected file is planted and held")) return 101;
  parkPointer();
  Tool tool;
  if (!expect(tool.start(), "the tool starts")) return 101;
  const auto window = ToolWindow::waitFor(kStartTimeoutMs);
  if (!expect(window.has_value(), "the main window appears")) return 101;
  const ToolWindow& w = *window;
  w.click(kScan);

  HWND killBox = nullptr;
  waitUntil([&] { return (killBox = FindWindowA("#32770", held->path.c_str())) != nullptr; },
            kScanTimeoutMs);
  if (expect(killBox != nullptr, "the system's box says the holder could not be killed")) {
    expectText(w.text(kStatusLine), held->path, "the status line under that box");
    PostMessageA(GetDlgItem(killBox, IDOK), BM_CLICK, 0, 0);
  }
  const auto question = w.waitForMessageBox(kScanTimeoutMs);
  if (expect(question.has_value(), "the restart question opens")) {
    expectText(question->text(),
               "The system has to be restarted to remove the virus completely from your system. "
               "\n\n Restart now?",
               "restart question");
    expectText(w.text(kStatusLine), "Scanning completed", "the status line under the question");
    question->click(kBoxNo);
  }
  expect(waitUntil([&] { return !w.messageBoxOpen() && w.visible(kOk); }, 10000),
         "No leaves the system as it is and the scan finishes");
  const std::vector<std::string> lines = w.reportLines();
  const std::string unable = held->path + "     " + held->detectionName + " Unable to remove";
  expect(std::find(lines.begin(), lines.end(), unable) != lines.end(),
         "report line \"" + unable + "\"");
  w.click(kOk);
  DWORD exitCode = 1;
  expect(tool.ended(10000, exitCode) && exitCode == 0, "OK ends the program");
  return failures;
}

// Every entry below a folder, listed as barely as a walk can list them: FindFirstFileA and
// FindNextFileA, nothing opened, nothing shown. "." and ".." are not counted; folder links are
// not entered, as the scan does not enter them. A folder's listing is closed before its
// subfolders are listed, which is the faster order under Wine.
long listBare(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  const HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  long entries = 0;
  std::vector<std::string> subfolders;
  do {
    if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) {
      continue;
    }
    ++entries;
    const DWORD attributes = entry.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      subfolders.emplace_back(entry.cFileName);
    }
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  for (const std::string& name : subfolders) entries += listBare(folder + name + "\\");
  return entries;
}

// The bare listing of every fixed drive the scan walks; its time in milliseconds.
DWORD timeBareListing(long& entries) {
  const DWORD start = GetTickCount();
  entries = 0;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_FIXED) entries += listBare(root);
  }
  return GetTickCount() - start;
}

// The time a whole scan takes through the window, status line and report list included, from the
// press of SCAN to the final status, beside a bare listing of the same drives in the same run (the
// faster of one before and one after the scan). The scan itself starts at the first tick of the
// window's timer, 100 ms after the press: the figures are given with and without that wait.
int timedScan() {
  long entries = 0;
  DWORD bare = timeBareListing(entries);
  parkPointer();
  Tool tool;
  if (!tool.start()) return 101;
  const auto window = ToolWindow::waitFor(kStartTimeoutMs);
  if (!window) return 101;
  Sleep(500);
  const DWORD start = GetTickCount();
  window->click(kScan);
  if (!window->waitForStatus("Scanning completed", kScanTimeoutMs)) return 101;
  const DWORD elapsed = GetTickCount() - start;
  const int scanned = scannedCount(window->reportLines());
  window->click(kOk);
  DWORD exitCode = 0;
  tool.ended(10000, exitCode);
  long again = 0;
  bare = std::min(bare, timeBareListing(again));
  constexpr DWORD kTimerWait = 100;
  const DWORD scanning = elapsed > kTimerWait ? elapsed - kTimerWait : 0;
  const auto ratio = [](DWORD a, DWORD b) { return b > 0 ? static_cast<double>(a) / b : 0.0; };
  char figures[400];
  std::snprintf(figures, sizeof figures,
                "bench scan of %d files: %lu ms from SCAN, %lu ms from the timer's tick, %.1f us "
                "per file; bare listing of %ld entries: %lu ms, %.1f us per entry; scan/bare %.2f "
                "(%.2f from SCAN)",
                scanned, static_cast<unsigned long>(elapsed), static_cast<unsigned long>(scanning),
                scanned > 0 ? 1000.0 * scanning / scanned : 0.0, entries,
                static_cast<unsigned long>(bare), entries > 0 ? 1000.0 * bare / entries : 0.0,
                ratio(scanning, bare), ratio(elapsed, bare));
  line(figures);
  return 0;
}

// The demonstration: plant the machine, scan it, print the report, keep a picture of the result.
int demo(bool interactive) {
  const std::vector<PlantedSample> planted = plantDemoMachine();
  if (planted.empty()) {
    line("FAIL the demo machine could not be planted");
    return 101;
  }
  for (const PlantedSample& sample : planted) {
    line("planted " + sample.path + " (" + sample.detectionName + ")");
  }
  const std::optional<PlantedSample> running = startInfectedProgram();
  if (!running) {
    line("FAIL the infected program could not be started");
    return 101;
  }
  line("planted " + running->path + " (" + running->detectionName + "), running");
  Tool tool;
  if (!tool.start()) return 101;
  const auto window = ToolWindow::waitFor(kStartTimeoutMs);
  if (!window) return 101;
  if (interactive) {
    line("note the tool is running: press SCAN, then close it with OK or X");
    const bool finished = waitUntil(
        [&] {
          const std::string status = window->text(kStatusLine);
          return !window->exists() || status == "Scanning completed" ||
                 status == "Scanning terminated";
        },
        INFINITE);
    if (finished && window->exists()) printReport(*window);
    DWORD exitCode = 0;
    tool.ended(INFINITE, exitCode);
    return 0;
  }
  window->click(kScan);
  if (!window->waitForStatus("Scanning completed", kScanTimeoutMs)) {
    line("FAIL the scan did not complete");
    return 1;
  }
  Sleep(500);
  printReport(*window);
  screenshot("demo", windowArea(*window));
  window->click(kOk);
  DWORD exitCode = 0;
  tool.ended(10000, exitCode);
  return 0;
}

}  // namespace
}  // namespace vs::uitest

int main(int argc, char** argv) {
  using namespace vs::uitest;
  const Scenario scenarios[] = {
      {"full-scan", fullScan},
      {"cancel", cancel},
      {"suite", suite},
      {"restart", restart},
      {"timed-scan", timedScan},
      {"demo", [] { return demo(false); }},
      {"demo-interactive", [] { return demo(true); }},
  };
  const std::string wanted = argc > 1 ? argv[1] : "";
  if (wanted == "record-page" && argc == 3) return recordPage(argv[2]);
  return runScenario(
      wanted, scenarios,
      "usage: ui_driver full-scan|cancel|suite|restart|timed-scan|demo|demo-interactive\n"
      "       ui_driver record-page ADDRESS\n");
}
