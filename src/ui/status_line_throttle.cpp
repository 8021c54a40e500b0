#include "ui/status_line_throttle.h"

namespace vs::ui {

bool StatusLineThrottle::showNow(std::uint32_t nowMs, bool forced) {
  // Unsigned difference: correct across the wrap of the tick count.
  if (forced || !shownBefore_ || nowMs - lastShownMs_ >= kIntervalMs) {
    shownBefore_ = true;
    lastShownMs_ = nowMs;
    return true;
  }
  return false;
}

}  // namespace vs::ui
