// The conformance rows on the real backend: what it answers is what Windows answers, as far as
// Wine shows it. The state is made with the system's wide calls (which reach paths of any length),
// never through the backend under test.
#include "conformance/conformance.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"
#include "wine/scratch_disk.h"

namespace vs::conformance {
namespace {

// Row paths are UTF-8.
std::wstring widen(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(units > 0 ? static_cast<std::size_t>(units - 1) : 0);
  return wide;
}

// The path of a row path for the wide calls, in the form that takes any length.
std::wstring longForm(const std::string& path) {
  return L"\\\\?\\" + widen(path);
}

class RealWorld : public World {
 public:
  explicit RealWorld(const std::string& row)
      : folder_("D:\\cf\\" + row), key_("SOFTWARE\\VsConformance\\" + row) {
    CreateDirectoryW(longForm("D:\\cf").c_str(), nullptr);
    test::removeTreeWide(longForm(folder_));
    EXPECT_TRUE(CreateDirectoryW(longForm(folder_).c_str(), nullptr))
        << folder_ << ": error " << GetLastError();
  }
  ~RealWorld() override {
    test::removeTreeWide(longForm(folder_));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str());
  }

  Backend backend() const override { return Backend::RealSystem; }
  std::string folder() const override { return folder_; }
  std::string registryKey() const override { return key_; }

  void make(const Item& item) override {
    const std::wstring path = longForm(folder_ + "\\" + item.path);
    makeFolders(item.path);
    switch (item.kind) {
      case Item::Kind::Directory:
        EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << item.path;
        return;
      case Item::Kind::File:
        return makeFile(path, item);
      default:
        ADD_FAILURE() << item.path << ": Wine 8 makes no symbolic links";
    }
  }

  void make(const RegistryItem& item) override {
    const std::string key = item.key.empty() ? key_ : key_ + "\\" + item.key;
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &created, nullptr),
              ERROR_SUCCESS)
        << key;
    win32::KeyHandle owner(created);
    ASSERT_EQ(RegSetValueExA(owner.get(), item.name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(item.text.c_str()),
                             static_cast<DWORD>(item.text.size() + 1)),
              ERROR_SUCCESS);
  }

  Platform& platform() override { return os_; }
  void vanish(const std::string& path) override {
    EXPECT_TRUE(DeleteFileW(longForm(folder_ + "\\" + path).c_str())) << path;
  }

 private:
  // The folders on the way to a row path.
  void makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('\\'); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
      CreateDirectoryW(longForm(folder_ + "\\" + path.substr(0, slash)).c_str(), nullptr);
    }
  }

  static void makeFile(const std::wstring& path, const Item& item) {
    win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid()) << item.path << ": error " << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), item.bytes.data(), static_cast<DWORD>(item.bytes.size()),
                          &written, nullptr));
    if (item.sparseLength > 0) {
      LARGE_INTEGER end;
      end.QuadPart = static_cast<LONGLONG>(item.sparseLength);
      ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
      ASSERT_TRUE(SetEndOfFile(file.get()));
    }
    file.reset();
    if (item.attributes) {
      ASSERT_TRUE(SetFileAttributesW(path.c_str(), item.attributes)) << item.path;
    }
  }

  std::string folder_;
  std::string key_;
  Win32Platform os_;
};

class RealSystem : public ::testing::TestWithParam<Row> {};
TEST_P(RealSystem, AnswersAsWindows) {
  RealWorld world(GetParam().name);
  std::string notRun;
  if (!runRow(world, GetParam(), notRun)) GTEST_SKIP() << notRun;
}
INSTANTIATE_TEST_SUITE_P(Rows, RealSystem, ::testing::ValuesIn(allRows()), RowName());

}  // namespace
}  // namespace vs::conformance
