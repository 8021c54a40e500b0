// The directory walk: shows every entry in the status line, counts files and hands each file to
// the detectors, depth first, taking window messages around every entry.
#pragma once

#include <cstddef>
#include <string>

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
// pattern holds no "." to cut entry paths from. An entry that the ANSI calls cannot reach (its
// name lost in the code page, or its path too long for their buffers) is walked through the wide
// calls where the system has them, in its place among the others; where it has none, it is named
// in a StatusMsgNotScanned line and passed over.
int walkDirectory(ScanContext& ctx, const char* pattern);

// The same walk through the wide calls, for a wide pattern (a folder's wide path followed by
// "\*.*", or one file's wide path in single-file mode): every entry below is listed, shown,
// counted and handed to the detectors as walkDirectory does, with the detectors' path rendered in
// the code page and the wide path in the context. A folder or file whose path the system refuses
// for its length is named in a StatusMsgNotScanned line. Returns filesScanned, or 0 when it was
// cancelled.
int walkDirectoryWide(ScanContext& ctx, const std::u16string& pattern);

// Writes into destination (of at least width + 1 bytes) the path, or, when it is longer than
// width, its first width/2 - 1 and last width/2 - 1 characters with dots between.
void shortenForDisplay(const char* path, char* destination, int width);

}  // namespace vs
