#include "ui/web_pages.h"

#include <windows.h>

// Needs the types that windows.h declares.
#include <shellapi.h>

namespace vs::ui {

void OpenSuitePage() {
  ShellExecuteA(nullptr, "open", kSuitePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenToolsPage() {
  ShellExecuteA(nullptr, "open", kToolsPageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace vs::ui
