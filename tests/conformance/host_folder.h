// The state of a row made in a host folder with this host's own calls, for the backends whose
// drives are host folders (the simulated machine's host drives, mounted volumes).
#pragma once

#include <string>

#include "conformance/conformance.h"

namespace vs::conformance {

// A scratch folder of this host, removed with all it holds at the end.
class HostScratch {
 public:
  HostScratch();
  ~HostScratch();
  HostScratch(const HostScratch&) = delete;
  HostScratch& operator=(const HostScratch&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Makes an item below a host folder: read-only files without write bits, links as symbolic
// links, long sparse files as holes. Hidden and system bits have no place there: asking for them
// fails the test.
void makeInHostFolder(const std::string& folder, const Item& item);

// Removes a file as another program would.
void removeFromHostFolder(const std::string& folder, const std::string& path);

// The host path of a row path (backslashes) below a host folder.
std::string hostPathOf(const std::string& folder, const std::string& path);

}  // namespace vs::conformance
