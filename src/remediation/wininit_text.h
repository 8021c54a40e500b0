// The text of wininit.ini with one more entry in its "[rename]" section, which the 9x line
// carries out once at its next start.
#pragma once

#include <string>

namespace vs {

// The line of the "[rename]" section that has the system do something with source at its next
// start ("NUL" as destination deletes it), with its line end.
std::string renameEntryLine(const std::string& destination, const std::string& source);

// The content with entryLine added as the last line of the first "[rename]" section (the header
// compared without regard to letter case), or at the end under a new "[rename]" header when
// there is none. The lines are read as the runtime's fgets reads them into 648 bytes, so a longer
// line comes in several pieces; only a piece that begins a line can be a section header. Every
// byte of the content is kept, zero bytes included.
std::string withRenameEntry(const std::string& content, const std::string& entryLine);

}  // namespace vs
