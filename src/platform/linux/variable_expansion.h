// Environment expansion of a Run value's command for a Windows installation that is not running:
// only the variables that name the Windows folder have a value that can be known from its volume.
#pragma once

#include <string>

namespace vs::linux_host {

// Replaces %SystemRoot% and %windir% (any letter case) with windowsFolder ("C:\Windows"); every
// other %name% is left as it is, as the system leaves a variable it does not know. With an empty
// windowsFolder nothing is replaced.
std::string expandWindowsVariables(const std::string& text, const std::string& windowsFolder);

}  // namespace vs::linux_host
