// The main window's phases: which controls are shown and enabled in each, and what the scan's
// one-shot timer does when it ticks. The handlers apply these rows; the window itself only adds
// texts, fonts and the timer.
#pragma once

#include <array>

namespace vs::ui {

enum class WindowPhase {
  Idle,          // from the window's initialisation until SCAN
  Scanning,      // SCAN pressed, the scan running (or about to start)
  QuestionOpen,  // "Terminate the Scan now?" stands over the scanning window
  Terminated,    // the cancel confirmed; the scan unwinds and then finishes
  Finished,      // the scan is over; only OK and X are left to press
};

struct ControlState {
  int id;  // the control's template id
  bool shown;
  bool enabled;
};

constexpr int kMainControlCount = 17;
using ControlStates = std::array<ControlState, kMainControlCount>;

// Every control of the main window in this phase, with or without the maker's suite installed,
// in the order the handlers apply them (each control is enabled or disabled, then shown or
// hidden). The question changes no control: the modal box holds the whole window instead.
ControlStates controlStates(WindowPhase phase, bool suiteInstalled);

// What the scan's timer does at a tick: the scan waits while the question is open, so that it
// never runs inside the question, and the timer ticks again. A cancel confirmed before the first
// tick stands: the scan starts cancelled, walks nothing and ends with "Scanning terminated".
struct ScanStart {
  bool waits;
  bool cancelled;
};
ScanStart scanStartAtTick(bool questionOpen, bool cancelConfirmed);

}  // namespace vs::ui
