#include "ui/web_pages.h"

#include <windows.h>

// Needs the types that windows.h declares.
#include <shellapi.h>

namespace vs::ui {
namespace {

// The build sets VS_SITE (the CMake cache variable of that name): "https://" and a host. The
// default is a reserved name that can belong to nobody, so that no build sends its users to a
// site its makers do not own.
constexpr const char* kSuitePageUrl = VS_SITE "/pages/Ardentis-2013/pgid-336527.aspx";
constexpr const char* kToolsPageUrl = VS_SITE "/pages/Virus-Removal-Tools/pgid-332271.aspx";

void openPage(const char* url) {
  ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void OpenSuitePage() {
  openPage(kSuitePageUrl);
}

void OpenToolsPage() {
  openPage(kToolsPageUrl);
}

}  // namespace vs::ui
