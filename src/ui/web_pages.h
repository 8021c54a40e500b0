// The two pages of the maker's web site that the main window links to, opened by the shell. The
// site's scheme and host are a build setting (VS_SITE); the paths are the window's own.
#pragma once

namespace vs::ui {

// Open the page in the user's browser; a failure is not reported.
void OpenSuitePage();
void OpenToolsPage();

}  // namespace vs::ui
