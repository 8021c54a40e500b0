// The lists of running programs that the memory scan and the kill roads work through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vs {

// One running program: its id and the full path of its image (at most 259 characters).
struct ProcessRecord {
  std::uint32_t processId = 0;
  char imagePath[kMaxPath] = {};
  // The image's path as the system keeps it, for an image that the ANSI path does not reach (a
  // name the code page cannot spell, a path longer than the ANSI buffer); imagePath then holds
  // its rendering in the code page, cut to fit. Empty for every other image.
  std::u16string wideImagePath;
};

// Access that opens a process for its module path, and for its termination.
constexpr std::uint32_t kProcessQueryAccess = kProcessQueryInformation | kProcessVmRead;
constexpr std::uint32_t kProcessKillAccess = kProcessTerminate | kProcessQueryInformation;
// EnumProcesses is given room for this many ids.
constexpr std::uint32_t kMaxProcessIds = 1024;

// What listProcessesPsapi does when a program refuses to be opened.
enum class OnAccessDenied {
  Skip,
  // Enable the debug privilege (once per list) and try again.
  EnableDebugPrivilege,
};

// Lists the programs through psapi, in the system's order, keeping those whose main module's path
// can be asked, through the wide call where the ANSI one does not reach the image. Returns the
// number of ids the system gave; 0 means nothing could be listed.
std::uint32_t listProcessesPsapi(Platform& os, PsapiLibrary& psapi, OnAccessDenied onDenied,
                                 std::vector<ProcessRecord>& records);

// The part of a path after its last backslash (all of it when there is none).
const char* fileNameOf(const char* path);

}  // namespace vs
