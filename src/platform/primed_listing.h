// A listing as the system's find functions give it: the first entry is read when the listing
// opens, so that a folder with no matching entry gives no listing at all (FindFirstFileA fails),
// and the end leaves ERROR_NO_MORE_FILES in the error slot, as FindNextFileA does. A backend that
// reads its entries one at a time supplies advance().
#pragma once

#include <cstdint>

#include "platform/error_codes.h"
#include "platform/file_system.h"

namespace vs {

class PrimedListing : public DirectoryListing {
 public:
  bool next(DirectoryEntry& entry) final {
    if (firstPending_) {
      firstPending_ = false;
      entry = first_;
      return true;
    }
    if (advance(entry)) return true;
    error_ = kErrorNoMoreFiles;
    return false;
  }

 protected:
  explicit PrimedListing(std::uint32_t& error) : error_(error) {}
  // Reads on to the next entry; false at the end.
  virtual bool advance(DirectoryEntry& entry) = 0;
  // Reads the first entry, once, as the listing opens; false when there is none.
  bool prime() {
    firstPending_ = advance(first_);
    return firstPending_;
  }

 private:
  std::uint32_t& error_;
  DirectoryEntry first_{};
  bool firstPending_ = false;
};

}  // namespace vs
