// Whether the maker's antivirus suite is installed on this machine: then the main window shows
// the suite line instead of the download offer.
#pragma once

namespace vs::ui {

inline constexpr const char* kSuiteKey = "Software\\Kestrin\\Ardentis 2000";
inline constexpr const char* kSuiteValue = "Installed Folder";

// True when the suite's key opens for reading and its value can be read, whatever its type and
// length; its content is not used.
bool isSuiteInstalled();

}  // namespace vs::ui
