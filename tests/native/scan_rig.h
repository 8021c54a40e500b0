// A fresh simulated machine and scan state with the main window's side of the StatusChannel
// recorded: what each case of a table makes anew, and what the engine fixture holds.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/scan_session.h"
#include "platform/sim/sim_machine.h"

namespace vs::test {

struct ScanRig {
  ScanRig() {
    session.mainWindow = 1;
    session.singleFileMode = 0;  // the memory scan has run; the drives are walked
    os.onSend = [this](std::uint32_t message) {
      if (message == kStatusMsgSetText) statusTexts.push_back(session.statusText);
      if (message == kStatusMsgAddLine) reportLines.push_back(session.reportLine);
      if (onMessage) onMessage(message);
    };
  }
  ScanRig(const ScanRig&) = delete;
  ScanRig& operator=(const ScanRig&) = delete;

  sim::SimMachine os;
  ScanSession session;
  ScanContext ctx{os, session};
  std::vector<std::string> statusTexts;
  std::vector<std::string> reportLines;
  // Called after each message is recorded: a case reacts to the window's traffic here.
  std::function<void(std::uint32_t message)> onMessage;
};

}  // namespace vs::test
