// A fresh scan state on a fresh simulated machine for every test, with the main window's side of
// the StatusChannel recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scan_session.h"
#include "platform/sim/sim_machine.h"

namespace vs::test {

class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() {
    session.mainWindow = 1;
    session.singleFileMode = 0;  // the memory scan has run; the drives are walked
    os.onSend = [this](std::uint32_t message) {
      if (message == kStatusMsgSetText) statusTexts.push_back(session.statusText);
      if (message == kStatusMsgAddLine) reportLines.push_back(session.reportLine);
    };
  }

  sim::SimMachine os;
  ScanSession session;
  ScanContext ctx{os, session};
  std::vector<std::string> statusTexts;
  std::vector<std::string> reportLines;
};

}  // namespace vs::test
