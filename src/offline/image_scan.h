// The scan of disk images: their drives and what was skipped reported first, the installation's
// SOFTWARE hive read from the image into memory, every finding reported as detected with where it
// lies, nothing written anywhere.
#pragma once

#include <string>
#include <vector>

#include "engine/scan_session.h"
#include "offline/finding_details.h"
#include "offline/scan_output.h"
#include "platform/linux/linux_platform.h"

namespace vs::offline {

// Runs the whole scan and returns the exit status: 0 nothing found, 1 infected files found, 2
// an image that cannot be read at all, a scan that was interrupted or could not write its
// report, or a partition, folder or hive that could not be read (the report says which; the rest
// is scanned).
int scanImages(const std::vector<std::string>& paths, linux_host::LinuxPlatform& os,
               ScanSession& session, ScanOutput& output, FindingLocator& locator);

}  // namespace vs::offline
