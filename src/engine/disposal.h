// What becomes of an infected file once the matcher has recognised it.
#pragma once

#include "engine/scan_session.h"
#include "engine/target_file.h"

namespace vs {

inline constexpr const char* kMemoryLine = "System Memory    W32/Talvorn.Trojan  removed";

// Gives the system time to release the image of a process that has just been killed.
constexpr unsigned kImageReleasePause = 1000;

// Deletes an infected file found by the walk, with growing force: attributes reset and deletion,
// deletion after killing the program that holds it, deletion at the next start. Reports exactly
// one line about the file.
void disposeInfectedFile(ScanContext& ctx, const TargetFile& file, const char* detectionName);

// Disposes of the image of a process that the memory scan has just killed, after its own
// "System Memory" line.
void disposeMemoryImage(ScanContext& ctx, const TargetFile& file, const char* familyName);

}  // namespace vs
