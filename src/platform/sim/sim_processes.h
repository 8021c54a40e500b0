// The simulated machine's running programs and services.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vs::sim {

struct SimProcess {
  std::uint32_t id = 0;
  std::string imagePath;  // the main module's full path; empty: the module cannot be asked
  // The image's wide path, for an image the ANSI path does not reach (imagePath is then its
  // rendering in Latin-1, as GetModuleFileNameExA gives it); empty otherwise.
  std::u16string wideImagePath;
  std::string snapshotName;  // szExeFile of a tool-help entry; empty: the image path (9x line)
  std::string perfName;      // its performance-data instance name; empty: the image's base name
                             // without its extension, as the NT line names instances
  std::uint32_t deniedAccess = 0;      // rights refused unless the debug privilege is enabled
  std::uint32_t protectedAccess = 0;   // rights refused always
  bool refuseTerminate = false;        // TerminateProcess fails: access denied
  std::vector<std::string> heldFiles;  // files it holds open without sharing, its image aside
};

struct SimService {
  std::string name;
  std::uint32_t state = kServiceRunning;
  std::uint32_t processId = 0;  // the program that runs it: a stopped service has ended it
  int pendingQueries = 0;       // status queries that still report "stop pending" after a stop
  bool neverStops = false;      // stays "stop pending" for ever once asked to stop
  bool denyOpen = false;        // opening fails: access denied
};

}  // namespace vs::sim
