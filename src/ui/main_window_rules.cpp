#include "ui/main_window_rules.h"

#include "ui/resources/resource_ids.h"

namespace vs::ui {

ControlStates controlStates(WindowPhase phase, bool suiteInstalled) {
  const bool idle = phase == WindowPhase::Idle;
  // Once SCAN is pressed the window shows the scan: its heading while it runs, its status line
  // and report list from then on.
  const bool scanned = !idle;
  const bool running = phase == WindowPhase::Scanning || phase == WindowPhase::QuestionOpen;
  // OK and CANCEL share one place. OK is enabled from SCAN on and shown once the scan is over or
  // cancelled; CANCEL is shown only while a scan runs that nobody has cancelled.
  const bool okShown = phase == WindowPhase::Terminated || phase == WindowPhase::Finished;
  return {{
      {IDC_SCAN, true, idle},
      {IDC_ULINK, idle, idle},
      // With the suite installed the download link never appears.
      {IDC_DLINK, idle && !suiteInstalled, idle && !suiteInstalled},
      {IDC_MAIN_CANCEL, running, true},
      {IDC_MAIN_OK, okShown, scanned},
      {IDC_PRODUCT_LINE, idle, true},
      {IDC_SUITE_LINE, idle && suiteInstalled, true},
      {IDC_COPYRIGHT_LINE, idle, true},
      {IDC_HEADING, running || phase == WindowPhase::Terminated, true},
      {IDC_REPORT_LIST, scanned, true},
      {IDC_STATUS_LINE, scanned, true},
      {IDC_STATUS_GROUP, scanned, true},
      {IDC_REPORT_GROUP, scanned, true},
      // DOWNLOAD stays as the suite test left it: shown, and disabled when the suite is there.
      {IDC_DOWNLOAD, true, !suiteInstalled},
      {IDC_CLOSE_X, true, true},
      {IDC_LOGO, true, true},
      {IDC_TITLE_LINE, true, true},
  }};
}

ScanStart scanStartAtTick(bool questionOpen, bool cancelConfirmed) {
  if (questionOpen) return {true, false};
  return {false, cancelConfirmed};
}

}  // namespace vs::ui
