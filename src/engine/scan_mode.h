// What a scan does with what it finds: clean it with the tool's own steps, or only report it.
// Both front ends (the Windows tool and vantoscan) choose their walk's detector table here.
#pragma once

#include "engine/walk.h"

namespace vs {

enum class ScanMode {
  // Every infected file is reported as "%s     %s detected"; nothing on the disks, in the
  // registry or among the running programs is changed, and nothing is left for the next start.
  DetectOnly,
  // Infected programs are killed, infected files deleted and the registry cleaned, with the
  // tool's own report lines.
  Remove,
};

// The detector of a scan that changes nothing: it tests the file, counts and reports it when it
// matched, and leaves it alone. A running program's image that the memory scan reported is not
// reported again when the walk of its drive meets it.
int detectWithoutChange(ScanContext& ctx, const char* familyName, const char* path);

// The walk's detector table for a mode.
const DetectorEntry* detectorTableFor(ScanMode mode);

}  // namespace vs
