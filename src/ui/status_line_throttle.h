// Paces the repainting of the status line. The scan sends a status text for every directory entry,
// and setting a static control's text costs far more than visiting the entry, so the line shows
// the newest text at most once per interval; the window tells the scan how long the rest of the
// interval lasts, and the scan holds its texts until then. Texts that must be seen (the final
// status, the text re-copied after a message box) are shown at once by the caller's choice.
#pragma once

#include <cstdint>

namespace vs::ui {

class StatusLineThrottle {
 public:
  static constexpr std::uint32_t kIntervalMs = 40;

  // Whether the text handed over at `nowMs` (a wrapping millisecond tick count) is to be shown
  // now. Records the time when it is.
  bool showNow(std::uint32_t nowMs, bool forced);

  // Milliseconds until the next text may be shown (0: at once).
  std::uint32_t untilDue(std::uint32_t nowMs) const;

 private:
  bool shownBefore_ = false;
  std::uint32_t lastShownMs_ = 0;
};

}  // namespace vs::ui
