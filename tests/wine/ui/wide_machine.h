// Files that only the wide calls reach, written from inside the prefix before the tool starts:
// names the ANSI code page cannot spell and paths longer than the ANSI calls' 260 characters.
// Everything here goes through the wide calls with "\\?\" paths, never through the tool's code.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace vs::uitest {

// Two file names of one length in a script the ANSI code page cannot spell, so that the code page
// renders both alike ("??" for two Chinese characters in code page 1252): Chinese, or, where the
// code page spells Chinese, Georgian, which no ANSI code page spells.
struct UnspellableNames {
  std::wstring first;
  std::wstring second;
  std::string rendering;  // how the code page renders either
  UINT codePage;
};
// Nothing when the code page spells every candidate.
std::optional<UnspellableNames> unspellableNames();

// A folder below base ("C:\x") whose path is exactly length characters long, made of nested
// folders of at most 100 characters each; not created.
std::wstring folderOfLength(const std::wstring& base, std::size_t length);

// Writes the file, making its folders first.
bool writeWideFile(const std::wstring& path, const std::string& bytes);
bool wideFileExists(const std::wstring& path);

// Opens the file for reading without letting anyone delete it, as a program that holds its data
// would; the handle stays open until the process ends. False when it could not be opened.
bool holdWideFile(const std::wstring& path);

// A value of the machine's Run key, by its wide name and data; and whether it is there.
bool setRunValue(const std::wstring& name, const std::wstring& data);
bool runValueExists(const std::wstring& name);

// Starts the program; its process handle, or nothing when it did not start.
HANDLE startWideProgram(const std::wstring& path);

// The files below a folder, counted through the wide calls as the tool walks: folders that are
// links or junctions are not entered.
std::size_t countFiles(const std::wstring& folder);

std::string utf8(const std::wstring& text);

}  // namespace vs::uitest
