#include "wide_machine.h"

#include <algorithm>

namespace vs::uitest {
namespace {

std::wstring extended(const std::wstring& path) {
  return L"\\\\?\\" + path;
}

// The code page's form of the text; nothing when it cannot convert it at all.
std::optional<std::string> inCodePage(const std::wstring& text, bool& lossy) {
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, &usedDefault);
  if (size <= 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, &usedDefault);
  // A best-fit look-alike converts without the default character but does not convert back.
  std::wstring back(text.size() * 2 + 1, L'\0');
  const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, back.data(),
                                        static_cast<int>(back.size()));
  back.resize(units > 0 ? static_cast<std::size_t>(units) : 0);
  lossy = usedDefault || back != text;
  return bytes;
}

bool makeFoldersFor(const std::wstring& path) {
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
       at = path.find(L'\\', at + 1)) {
    if (!CreateDirectoryW(extended(path.substr(0, at)).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<UnspellableNames> unspellableNames() {
  const std::wstring candidates[][2] = {
      {L"\u75c5\u6bd2", L"\u6587\u4ef6"},
      {L"\u10d5\u10d8\u10e0\u10e3\u10e1\u10d8", L"\u10e4\u10d0\u10d8\u10da\u10d8\u10e1"},
  };
  for (const auto& pair : candidates) {
    bool firstLossy = false;
    bool secondLossy = false;
    const auto first = inCodePage(pair[0], firstLossy);
    const auto second = inCodePage(pair[1], secondLossy);
    if (first && second && firstLossy && secondLossy && *first == *second) {
      return UnspellableNames{pair[0], pair[1], *first, GetACP()};
    }
  }
  return std::nullopt;
}

std::wstring folderOfLength(const std::wstring& base, std::size_t length) {
  std::wstring path = base;
  for (int level = 0; path.size() < length; ++level) {
    const std::size_t room = length - path.size() - 1;
    // A step short of the end leaves at least one character for the last folder's name.
    const std::size_t size = room <= 100 ? room : std::min<std::size_t>(100, room - 2);
    std::wstring name = L"level " + std::to_wstring(level) + L" ";
    name.resize(std::max(size, name.size()), L'x');
    name.resize(size);
    path += L"\\" + name;
  }
  return path;
}

bool writeWideFile(const std::wstring& path, const std::string& bytes) {
  if (!makeFoldersFor(path)) return false;
  HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool wideFileExists(const std::wstring& path) {
  return GetFileAttributesW(extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool holdWideFile(const std::wstring& path) {
  return CreateFileW(extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr) != INVALID_HANDLE_VALUE;
}

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool setRunValue(const std::wstring& name, const std::wstring& data) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result =
      RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool runValueExists(const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

HANDLE startWideProgram(const std::wstring& path) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + path + L"\"";
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

std::size_t countFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(extended(folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  std::size_t files = 0;
  do {
    const std::wstring name = entry.cFileName;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ++files;
    } else if (name != L"." && name != L".." &&
               !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      files += countFiles(folder + L"\\" + name);
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return files;
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

}  // namespace vs::uitest
