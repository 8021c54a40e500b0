// The simulated machine's drives as its file calls see them; only the machine's own sources
// include this.
#pragma once

#include <string>

#include "platform/sim/sim_machine.h"

namespace vs::sim {

struct SimMachine::Drive {
  unsigned type = kDriveFixed;
  Node root;
  bool onHost = false;  // its files are a host folder's, answered by the drive table
  bool writeProtected = false;
};

// A Windows path of an in-memory drive taken apart: its drive, and either its node or, for a name
// that does not exist yet, the folder it would be created in.
struct SimMachine::Resolved {
  Drive* drive = nullptr;
  Node* node = nullptr;
  Node* parent = nullptr;
  std::string leaf;
  bool atRoot = false;
};

}  // namespace vs::sim
