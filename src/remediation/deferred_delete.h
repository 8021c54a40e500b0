// Deletion at the next system start, for an infected file that cannot be deleted now: the
// system's reboot-time list on the NT line, the "[rename]" section of wininit.ini on the 9x line.
#pragma once

#include "engine/target_file.h"
#include "platform/platform.h"

namespace vs {

// Arranges for the file to be deleted at the next start. Returns 1 when the system accepted the
// request, so that a restart is needed; 0 when nothing was arranged. A file that only the wide
// calls reach is named to the system by its wide path.
int scheduleDeleteAtRestart(Platform& os, const TargetFile& file);

// Adds the entry destination=source to the "[rename]" section of wininit.ini in the Windows
// directory, creating the file or the section when missing. Returns 1 when the entry was written.
// Whatever fails, the file keeps its earlier content (or stays absent).
int addWininitRenameEntry(Platform& os, const char* destination, const char* source);

}  // namespace vs
