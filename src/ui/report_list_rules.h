// The report list's rules: when it is emptied, which line is selected after an append, and when
// its horizontal scroll range grows.
#pragma once

#include <optional>

namespace vs::ui {

// Before the statistics the list keeps at most 150 lines: the next line empties it first.
constexpr int kReportListLimit = 150;

bool clearsBeforeAppend(int lineCount, bool statisticsShown);

// The index to select once the list holds lineCount lines: the last line from the third on; for
// one or two lines the index past the end, which selects nothing.
int selectionAfterAppend(int lineCount);

// The new horizontal extent for the widest line's width in pixels, or nothing when the extent is
// to stay as it is. It only ever grows, and only for lines wider than 560 pixels.
std::optional<int> widenedExtent(int currentExtent, int widestLine);

}  // namespace vs::ui
