// A fresh scan state on a fresh simulated machine for every test, with the main window's side of
// the StatusChannel recorded.
#pragma once

#include <gtest/gtest.h>

#include "scan_rig.h"

namespace vs::test {

class EngineFixture : public ::testing::Test, public ScanRig {};

}  // namespace vs::test
