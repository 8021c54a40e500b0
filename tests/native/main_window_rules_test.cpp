// The main window's phases: which controls each phase shows and enables, and what the scan's
// timer does when it ticks under the cancel question.
#include "ui/main_window_rules.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/scan_driver.h"
#include "engine_fixture.h"
#include "ui/resources/resource_ids.h"

namespace vs::ui::test {
namespace {

constexpr WindowPhase kPhases[] = {WindowPhase::Idle, WindowPhase::Scanning,
                                   WindowPhase::QuestionOpen, WindowPhase::Terminated,
                                   WindowPhase::Finished};

ControlState stateOf(const ControlStates& states, int id) {
  for (const ControlState& state : states) {
    if (state.id == id) return state;
  }
  ADD_FAILURE() << "no state for control " << id;
  return {id, false, false};
}

TEST(MainWindowRules, EveryPhaseSetsEveryControlOnce) {
  const std::set<int> controls = {
      IDC_MAIN_OK,        IDC_MAIN_CANCEL,  IDC_SCAN,    IDC_DOWNLOAD,   IDC_CLOSE_X,
      IDC_STATUS_GROUP,   IDC_STATUS_LINE,  IDC_HEADING, IDC_TITLE_LINE, IDC_SUITE_LINE,
      IDC_COPYRIGHT_LINE, IDC_PRODUCT_LINE, IDC_DLINK,   IDC_ULINK,      IDC_LOGO,
      IDC_REPORT_GROUP,   IDC_REPORT_LIST};
  for (const bool suite : {false, true}) {
    for (const WindowPhase phase : kPhases) {
      std::set<int> seen;
      for (const ControlState& state : controlStates(phase, suite)) seen.insert(state.id);
      EXPECT_EQ(seen, controls);
    }
  }
}

TEST(MainWindowRules, OkAndCancelShareTheirPlace) {
  struct Case {
    WindowPhase phase;
    bool cancelShown;
    bool okShown;
    bool okEnabled;
  };
  const Case cases[] = {
      {WindowPhase::Idle, false, false, false},       {WindowPhase::Scanning, true, false, true},
      {WindowPhase::QuestionOpen, true, false, true}, {WindowPhase::Terminated, false, true, true},
      {WindowPhase::Finished, false, true, true},
  };
  for (const bool suite : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(static_cast<int>(c.phase));
      const ControlStates states = controlStates(c.phase, suite);
      EXPECT_EQ(stateOf(states, IDC_MAIN_CANCEL).shown, c.cancelShown);
      EXPECT_EQ(stateOf(states, IDC_MAIN_OK).shown, c.okShown);
      EXPECT_EQ(stateOf(states, IDC_MAIN_OK).enabled, c.okEnabled);
    }
  }
}

TEST(MainWindowRules, OneScanPerRunAndTheScanStaysInView) {
  for (const bool suite : {false, true}) {
    for (const WindowPhase phase : kPhases) {
      SCOPED_TRACE(static_cast<int>(phase));
      const bool idle = phase == WindowPhase::Idle;
      const ControlStates states = controlStates(phase, suite);
      EXPECT_TRUE(stateOf(states, IDC_SCAN).shown);
      EXPECT_EQ(stateOf(states, IDC_SCAN).enabled, idle);
      for (const int part : {IDC_STATUS_LINE, IDC_STATUS_GROUP, IDC_REPORT_LIST, IDC_REPORT_GROUP})
        EXPECT_EQ(stateOf(states, part).shown, !idle) << part;
      for (const int line : {IDC_PRODUCT_LINE, IDC_COPYRIGHT_LINE, IDC_ULINK})
        EXPECT_EQ(stateOf(states, line).shown, idle) << line;
      // The heading names what the scan looks for until it is over.
      EXPECT_EQ(stateOf(states, IDC_HEADING).shown, !idle && phase != WindowPhase::Finished);
      for (const int always : {IDC_CLOSE_X, IDC_LOGO, IDC_TITLE_LINE}) {
        EXPECT_TRUE(stateOf(states, always).shown && stateOf(states, always).enabled) << always;
      }
    }
  }
}

TEST(MainWindowRules, TheSuiteTakesTheDownloadLinkAway) {
  for (const bool suite : {false, true}) {
    for (const WindowPhase phase : kPhases) {
      SCOPED_TRACE(static_cast<int>(phase));
      const bool idle = phase == WindowPhase::Idle;
      const ControlStates states = controlStates(phase, suite);
      EXPECT_TRUE(stateOf(states, IDC_DOWNLOAD).shown);
      EXPECT_EQ(stateOf(states, IDC_DOWNLOAD).enabled, !suite);
      EXPECT_EQ(stateOf(states, IDC_DLINK).shown, idle && !suite);
      EXPECT_EQ(stateOf(states, IDC_DLINK).enabled, idle && !suite);
      EXPECT_EQ(stateOf(states, IDC_SUITE_LINE).shown, idle && suite);
    }
  }
}

TEST(MainWindowRules, TheQuestionChangesNoControl) {
  for (const bool suite : {false, true}) {
    const ControlStates scanning = controlStates(WindowPhase::Scanning, suite);
    const ControlStates question = controlStates(WindowPhase::QuestionOpen, suite);
    for (std::size_t i = 0; i < scanning.size(); ++i) {
      EXPECT_EQ(question[i].id, scanning[i].id);
      EXPECT_EQ(question[i].shown, scanning[i].shown) << question[i].id;
      EXPECT_EQ(question[i].enabled, scanning[i].enabled) << question[i].id;
    }
  }
}

TEST(MainWindowRules, TheScanWaitsForTheQuestionAndHonoursItsAnswer) {
  struct Case {
    const char* what;
    bool questionOpen;
    bool cancelConfirmed;
    bool waits;
    bool cancelled;
  };
  const Case cases[] = {
      {"no question", false, false, false, false},
      {"question open", true, false, true, false},
      {"question open over an earlier Yes", true, true, true, false},
      {"Yes before the first tick", false, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ScanStart start = scanStartAtTick(c.questionOpen, c.cancelConfirmed);
    EXPECT_EQ(start.waits, c.waits);
    if (!start.waits) {
      EXPECT_EQ(start.cancelled, c.cancelled);
    }
  }
}

class CancelBeforeTheFirstTick : public vs::test::EngineFixture {};

TEST_F(CancelBeforeTheFirstTick, EndsTheScanAtOnceWithItsReport) {
  os.addFile("C:\\a.txt", "x");
  os.addFile("D:\\b.txt", "x");
  session.singleFileMode = 1;  // as at program start
  const ScanStart start = scanStartAtTick(false, true);
  session.cancelRequested = start.cancelled ? 1 : 0;
  runScanSession(ctx);
  EXPECT_EQ(session.filesScanned, 0);
  EXPECT_TRUE(os.callsStartingWith("open ").empty());
  EXPECT_EQ(statusTexts.back(), "Scanning terminated");
  ASSERT_EQ(reportLines.size(), 5u);
  EXPECT_EQ(reportLines.back(), "Total files removed\t\t:  0");
}

}  // namespace
}  // namespace vs::ui::test
