#include "ui/report_list_rules.h"

namespace vs::ui {

bool clearsBeforeAppend(int lineCount, bool statisticsShown) {
  return lineCount >= kReportListLimit && !statisticsShown;
}

int selectionAfterAppend(int lineCount) {
  return lineCount > 2 ? lineCount - 1 : lineCount;
}

std::optional<int> widenedExtent(int currentExtent, int widestLine) {
  if (currentExtent < widestLine && widestLine > 560) {
    return static_cast<int>(static_cast<long long>(widestLine) * 3 / 4);
  }
  return std::nullopt;
}

}  // namespace vs::ui
