#include "ui/status_line_throttle.h"

namespace vs::ui {

bool StatusLineThrottle::showNow(std::uint32_t nowMs, bool forced) {
  if (!forced && untilDue(nowMs) != 0) return false;
  shownBefore_ = true;
  lastShownMs_ = nowMs;
  return true;
}

std::uint32_t StatusLineThrottle::untilDue(std::uint32_t nowMs) const {
  if (!shownBefore_) return 0;
  // Unsigned difference: correct across the wrap of the tick count.
  const std::uint32_t since = nowMs - lastShownMs_;
  return since >= kIntervalMs ? 0 : kIntervalMs - since;
}

}  // namespace vs::ui
