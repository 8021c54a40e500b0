// The two pages of the maker's web site that the main window links to, opened by the shell.
#pragma once

namespace vs::ui {

inline constexpr const char* kSuitePageUrl =
    "http://www.kestrinsoftware.com/pages/Ardentis-2013/pgid-336527.aspx";
inline constexpr const char* kToolsPageUrl =
    "http://www.kestrinsoftware.com/pages/Virus-Removal-Tools/pgid-332271.aspx";

// Open the page in the user's browser; a failure is not reported.
void OpenSuitePage();
void OpenToolsPage();

}  // namespace vs::ui
