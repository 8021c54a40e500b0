#include "page_recorder.h"

#include <windows.h>

#include <cstdio>
#include <fstream>

namespace vs::uitest {
namespace {

constexpr const char* kOpenedPages = "C:\\vs-run\\opened-pages.txt";
constexpr const char* kCommand = "\"C:\\vs-run\\ui_driver.exe\" record-page \"%1\"";

bool setOpenCommand(const char* scheme) {
  const std::string keyPath =
      std::string("Software\\Classes\\") + scheme + "\\shell\\open\\command";
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result =
      RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kCommand),
                     static_cast<DWORD>(lstrlenA(kCommand) + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace

bool registerPageRecorder() {
  // Both schemes, so that a link that is not https is seen (and refused) too.
  return setOpenCommand("http") && setOpenCommand("https");
}

int recordPage(const char* address) {
  std::FILE* out = std::fopen(kOpenedPages, "a");
  if (!out) return 1;
  std::fprintf(out, "%s\n", address);
  return std::fclose(out) == 0 ? 0 : 1;
}

std::vector<std::string> openedPages() {
  std::vector<std::string> pages;
  std::ifstream in(kOpenedPages);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pages.push_back(line);
  }
  return pages;
}

}  // namespace vs::uitest
