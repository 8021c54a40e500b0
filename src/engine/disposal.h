// What becomes of an infected file once the matcher has recognised it.
#pragma once

#include "engine/scan_session.h"

namespace vs {

// Deletes an infected file found by the walk and reports one line about it.
void disposeInfectedFile(ScanContext& ctx, const char* path, const char* detectionName);

// Disposes of the image of a process that the memory scan has just killed.
void disposeMemoryImage(ScanContext& ctx, const char* path, const char* familyName);

}  // namespace vs
