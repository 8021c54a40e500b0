#include "platform/win32/wide_calls.h"

namespace vs::win32 {
namespace {

template <typename Function>
void lookUp(HMODULE module, const char* name, Function& function, bool& found) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  found = found && function != nullptr;
}

WideCalls findWideCalls() {
  WideCalls calls;
  // The 9x line sets the high bit of the version.
  const bool ntLine = (GetVersion() & 0x80000000u) == 0;
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  bool found = ntLine && kernel && advapi;
  if (!found) return calls;
  lookUp(kernel, "FindFirstFileW", calls.findFirstFile, found);
  lookUp(kernel, "FindNextFileW", calls.findNextFile, found);
  lookUp(kernel, "GetFileAttributesW", calls.getFileAttributes, found);
  lookUp(kernel, "CreateFileW", calls.createFile, found);
  lookUp(kernel, "SetFileAttributesW", calls.setFileAttributes, found);
  lookUp(kernel, "DeleteFileW", calls.deleteFile, found);
  lookUp(kernel, "MoveFileExW", calls.moveFileEx, found);
  lookUp(kernel, "ExpandEnvironmentStringsW", calls.expandEnvironmentStrings, found);
  lookUp(advapi, "RegQueryValueExW", calls.regQueryValueEx, found);
  lookUp(advapi, "RegEnumValueW", calls.regEnumValue, found);
  lookUp(advapi, "RegDeleteValueW", calls.regDeleteValue, found);
  calls.available = found;
  return calls;
}

}  // namespace

const WideCalls& wideCalls() {
  static const WideCalls calls = findWideCalls();
  return calls;
}

std::wstring extendedPath(const char16_t* path) {
  const std::wstring text(reinterpret_cast<const wchar_t*>(path));
  if (text.rfind(L"\\\\?\\", 0) == 0) return text;
  if (text.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + text.substr(2);
  return L"\\\\?\\" + text;
}

}  // namespace vs::win32
