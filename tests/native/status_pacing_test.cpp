// The status line's pacing over a whole scan on the simulated machine: the scan holds its texts
// while the window asks for quiet and sends the newest once the interval is over, and the newest
// text is on screen whenever a message box opens or the scan pauses.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "engine/matcher.h"
#include "engine/scan_driver.h"
#include "engine/walk.h"
#include "platform/sim/sim_machine.h"
#include "remediation/process_scan.h"
#include "remediation_fixture.h"
#include "sample_builder.h"
#include "ui/status_line_throttle.h"

namespace vs::test {
namespace {

// A detector that matches nothing and takes 100 ms over one file, as a long read would.
int slowOverOneFile(ScanContext& ctx, const char*, const char* path) {
  if (std::string(path) == "C:\\slow.bin") static_cast<sim::SimMachine&>(ctx.os).clock += 100;
  return 0;
}
const DetectorEntry kSlowDetector[] = {{kFamilyName, slowOverOneFile}, {nullptr, nullptr}};

// A fresh machine and scan whose window paces its status line as the real one does: it shows a
// text when its interval is over, answers with the rest of the interval (the scan holds its texts
// until then), and shows the newest text before the thread stands still.
struct PacedScan {
  PacedScan() {
    session.mainWindow = 1;
    session.singleFileMode = 1;  // as at program start
    os.versionInfo = kWindowsXp;
    // A millisecond per look at the clock: a whole small scan fits in one interval.
    os.clockStep = 1;
    os.onSendAnswered = [this](std::uint32_t message) -> std::intptr_t {
      if (message != kStatusMsgSetText) return 0;
      sent.push_back(session.statusText);
      if (throttle.showNow(os.clock, false)) show();
      return throttle.untilDue(os.clock);
    };
    os.beforeBlocking = [this](const std::string& call) {
      if (screen != session.statusText) show();
      blockingCalls.push_back({call, screen});
    };
  }

  void show() {
    screen = session.statusText;
    shown.push_back(screen);
  }

  // What the line showed when the first call beginning with `prefix` blocked.
  std::string screenAt(const std::string& prefix) const {
    for (const auto& [call, seen] : blockingCalls) {
      if (call.rfind(prefix, 0) == 0) return seen;
    }
    return "(no call " + prefix + ")";
  }

  sim::SimMachine os;
  ScanSession session;
  ScanContext ctx{os, session};
  ui::StatusLineThrottle throttle;
  std::string screen = "Static";
  std::vector<std::string> shown;
  std::vector<std::string> sent;  // every text the window was sent
  std::vector<std::pair<std::string, std::string>> blockingCalls;
};

std::string infected() {
  return *samples::buildSample(kSignatureTable[0], {});
}
std::string clean() {
  return samples::buildLookAlike(72704, 9);
}

TEST(StatusPacing, TheLineIsNeverLeftBehindTheScan) {
  struct Case {
    const char* what;
    std::function<void(PacedScan&)> arrange;
    std::vector<std::string> shown;  // everything the line showed, where that is the point
    std::vector<std::pair<std::string, std::string>> screenAtBlocking;
  };
  const Case cases[] = {
      {"a held text is shown when its interval is over, though no newer text comes",
       [](PacedScan& t) {
         t.os.addFile("C:\\a.txt", "x");
         t.os.addFile("C:\\slow.bin", "x");
         t.os.addFile("C:\\z.txt", "x");
         t.ctx.detectors = kSlowDetector;
       },
       {"C:\\a.txt", "C:\\slow.bin"},
       {}},
      {"the final status stands before the restart question",
       [](PacedScan& t) {
         t.os.addFile("C:\\a.txt", "x");
         t.os.addFile("C:\\b.txt", "x");
         t.session.restartNeeded = 1;
       },
       {},
       {{"messageBox The system has to be restarted", "Scanning completed"}}},
      {"the program being tested stands before the memory notice",
       [](PacedScan& t) {
         t.os.addFile("C:\\WINDOWS\\explorer.exe", clean());
         t.os.startProcess("C:\\WINDOWS\\explorer.exe");
         t.os.addFile("C:\\apps\\evil.exe", infected());
         const std::uint32_t evil = t.os.startProcess("C:\\apps\\evil.exe").id;
         t.os.process(evil)->refuseTerminate = true;
         t.os.services = {{"evil", kServiceRunning, evil, 0, true}};
         t.os.messageBoxAnswers = {2};  // Cancel: no restart now
       },
       {},
       {{std::string("messageBox ") + kMemoryRestartQuestion, "C:\\apps\\evil.exe"}}},
      {"the file being removed stands before the box that says its holder lives on",
       [](PacedScan& t) {
         t.os.versionInfo = kWindows7;  // its road ends in the box when nothing could be killed
         t.os.addFile("C:\\a.txt", "x");
         t.os.addFile("C:\\x\\evil.exe", infected());
         t.os.addFile("C:\\x\\holder.exe", clean());
         t.os.startProcess("C:\\x\\holder.exe", {"C:\\x\\evil.exe"}).refuseTerminate = true;
       },
       {},
       {{"plainMessageBox Could not kill process", "C:\\x\\evil.exe"},
        {"messageBox The system has to be restarted", "Scanning completed"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PacedScan t;
    c.arrange(t);
    runScanSession(t.ctx);
    if (!c.shown.empty()) {
      EXPECT_EQ(t.shown, c.shown);
    }
    for (const auto& [call, text] : c.screenAtBlocking) EXPECT_EQ(t.screenAt(call), text);
  }
}

// The final status goes to the window even inside its quiet interval: the window shows it, and a
// report file that copies what the window is sent writes it as its last line.
TEST(StatusPacing, TheFinalStatusIsSentWhateverTheWindowAsked) {
  PacedScan t;
  t.os.addFile("C:\\a.txt", "x");
  t.os.addFile("C:\\b.txt", "x");
  runScanSession(t.ctx);
  ASSERT_FALSE(t.sent.empty());
  EXPECT_EQ(t.sent.back(), "Scanning completed");
}

}  // namespace
}  // namespace vs::test
