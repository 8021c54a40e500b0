// The directory walk: shows every entry in the status line, counts files and hands each file to
// the detectors, depth first, taking window messages around every entry.
#pragma once

#include <cstddef>

#include "engine/scan_session.h"

namespace vs {

// One row of the walk's detector table; the table ends with a row whose name is null.
using DetectorFunction = int (*)(ScanContext& ctx, const char* familyName, const char* path);
struct DetectorEntry {
  const char* name;
  DetectorFunction detect;
};

// The table of the program: the signature matcher under the family name.
extern const DetectorEntry kDetectorTable[];

// Walks a pattern (a directory followed by "\*.*", or one file's path in single-file mode).
// Returns filesScanned when the walk ran to its end, 0 when it was cancelled, and -1 when the
// pattern holds no "." to cut entry paths from.
int walkDirectory(ScanContext& ctx, const char* pattern);

// Writes into destination (of at least width + 1 bytes) the path, or, when it is longer than
// width, its first width/2 - 1 and last width/2 - 1 characters with dots between.
void shortenForDisplay(const char* path, char* destination, int width);

}  // namespace vs
