#include "wine/scratch_disk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/handle.h"

namespace vs::test {
namespace {

// A fatal failure reported at the caller's line; the caller's test is marked failed.
void failAt(const std::source_location& caller, const std::string& what) {
  GTEST_MESSAGE_AT_(caller.file_name(), static_cast<int>(caller.line()), what.c_str(),
                    ::testing::TestPartResult::kFatalFailure);
}

std::string withError(const std::string& what) {
  return what + ": error " + std::to_string(GetLastError());
}

}  // namespace

void writeFile(const std::string& path, const std::string& bytes, std::uint32_t attributes,
               std::source_location caller) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  win32::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failAt(caller, withError("cannot create " + path));
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    return failAt(caller, withError("cannot write " + path));
  }
  file.reset();
  if (attributes != 0 && !SetFileAttributesA(path.c_str(), attributes)) {
    failAt(caller, withError("cannot set attributes of " + path));
  }
}

std::string readFile(const std::string& path, std::source_location caller) {
  win32::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file) {
    failAt(caller, withError("cannot open " + path));
    return bytes;
  }
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  return bytes;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::uint32_t attributesOf(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

void makeDirectory(const std::string& path, std::source_location caller) {
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    failAt(caller, withError("cannot create " + path));
  }
}

void removeTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  win32::FindHandle find(FindFirstFileA((path + "\\*").c_str(), &data));
  if (find) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link) {
        removeTree(child);
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryA(child.c_str());  // a link goes, never what it points at
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find.get(), &data));
  }
  find.reset();
  RemoveDirectoryA(path.c_str());
}

void removeTreeWide(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  win32::FindHandle find(FindFirstFileW((path + L"\\*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link) {
        removeTreeWide(child);
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(child.c_str());  // a link goes, never what it points at
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find.get(), &data));
  }
  find.reset();
  RemoveDirectoryW(path.c_str());
}

ScratchFolder::ScratchFolder() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  path_ = std::string("D:\\") + info->test_suite_name() + "." + info->name();
  for (char& c : path_) {
    if (c == '/') c = '_';
  }
  removeTree(path_);
  makeDirectory(path_);
}

ScratchFolder::~ScratchFolder() {
  removeTree(path_);
}

}  // namespace vs::test
