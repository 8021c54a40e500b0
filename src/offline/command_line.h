// The command line of vantoscan.
#pragma once

#include <string>
#include <vector>

namespace vs::offline {

struct DriveMapping {
  char letter;         // C to Z
  std::string folder;  // where the volume is mounted
};

struct Options {
  std::vector<DriveMapping> drives;  // in the order given
  std::vector<std::string> images;   // disk images, in the order given
  bool remove = false;
  bool json = false;
  bool help = false;
};

// Folders given without a letter become the first free drives from C: on. Disk images are scanned
// on their own: their partitions get the letters (see image_drives.h), and nothing on them is
// ever changed, so --remove is refused with them. False, with a message in error, for a command
// line that cannot be used.
bool parseCommandLine(int argc, const char* const* argv, Options& options, std::string& error);

// What --help prints.
const char* usageText();

}  // namespace vs::offline
