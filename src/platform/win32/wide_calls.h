// The wide calls of the NT line that the real backend uses for what the ANSI calls cannot reach,
// looked up by name once: the 9x line lacks some and answers the rest with a failure, and the one
// executable must start there. Available only on the NT line with every function found.
#pragma once

#include <windows.h>

#include <string>

namespace vs::win32 {

struct WideCalls {
  bool available = false;
  decltype(&FindFirstFileW) findFirstFile = nullptr;
  decltype(&FindNextFileW) findNextFile = nullptr;
  decltype(&GetFileAttributesW) getFileAttributes = nullptr;
  decltype(&CreateFileW) createFile = nullptr;
  decltype(&SetFileAttributesW) setFileAttributes = nullptr;
  decltype(&DeleteFileW) deleteFile = nullptr;
  decltype(&MoveFileExW) moveFileEx = nullptr;
  decltype(&ExpandEnvironmentStringsW) expandEnvironmentStrings = nullptr;
  decltype(&RegQueryValueExW) regQueryValueEx = nullptr;
  decltype(&RegEnumValueW) regEnumValue = nullptr;
  decltype(&RegDeleteValueW) regDeleteValue = nullptr;
};

const WideCalls& wideCalls();

// A wide path as the wide file calls take it whatever its length: "\\?\C:\dir\name", and
// "\\?\UNC\server\share\name" for a network path; a path that has the prefix keeps it.
std::wstring extendedPath(const char16_t* path);

}  // namespace vs::win32
