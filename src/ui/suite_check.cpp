#include "ui/suite_check.h"

#include <windows.h>

#include "ui/gdi.h"

namespace vs::ui {

bool isSuiteInstalled() {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSuiteKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return false;
  }
  win32::KeyHandle key(opened);
  // Asking for the size alone reads the value whatever its length.
  DWORD size = 0;
  return RegQueryValueExA(key.get(), kSuiteValue, nullptr, nullptr, nullptr, &size) ==
         ERROR_SUCCESS;
}

}  // namespace vs::ui
