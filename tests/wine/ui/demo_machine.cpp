#include "demo_machine.h"

#include <windows.h>

#include <cstdint>
#include <optional>

#include "engine/signature_record.h"
#include "runnable_sample.h"
#include "sample_builder.h"

namespace vs::uitest {
namespace {

struct SampleSpec {
  const char* path;
  int record;  // position in the signature table, from 1
  bool readOnly;
};

constexpr SampleSpec kSamples[] = {
    {"C:\\Program Files\\Free Screensavers\\aquarium.scr.exe", 1, false},
    {"C:\\Downloads\\svchost32.exe", 12, false},
    {"D:\\Downloads\\Games\\game_crack.exe", 93, true},
};

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "SysHelper";

struct CleanSpec {
  const char* path;
  std::uint32_t lookAlikeSize;  // 0: a text or data file
  const char* text;
};

constexpr CleanSpec kCleanFiles[] = {
    {"C:\\Program Files\\Ardent Media\\Player\\mediaplayer.exe", 86016, nullptr},
    {"C:\\Program Files\\Ardent Media\\Player\\readme.txt", 0,
     "Ardent Media Player 2.4\r\nPlays music and video files.\r\n"},
    {"C:\\Program Files\\Free Screensavers\\license.txt", 0, "Free for personal use.\r\n"},
    {"C:\\Downloads\\setup_notes.txt", 0, "Remember to restart after installing.\r\n"},
    {"D:\\Documents\\letter to the bank.txt", 0,
     "Dear Sir or Madam,\r\nplease find enclosed the signed form.\r\n"},
    {"D:\\Documents\\Budget\\budget 2013.csv", 0,
     "month,income,expenses\r\nJanuary,2400,1980\r\nFebruary,2400,2105\r\n"},
    {"D:\\Photos\\Holiday\\IMG_0412.jpg", 0, nullptr},
    {"D:\\Photos\\Holiday\\IMG_0413.jpg", 0, nullptr},
    {"D:\\Downloads\\vlc-setup.exe", 131072, nullptr},
    {"D:\\Tools\\putty.exe", 49152, nullptr},
};

bool makeDirectoriesFor(const std::string& path) {
  for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    const std::string folder = path.substr(0, at);
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  return true;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  if (!makeDirectoriesFor(path)) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// Photo-like noise, the same on every run.
std::string noise(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<char>(seed >> 24);
  }
  bytes[0] = static_cast<char>(0xFF);
  bytes[1] = static_cast<char>(0xD8);
  return bytes;
}

bool setMachineString(const char* keyPath, const char* name, const char* value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                     static_cast<DWORD>(lstrlenA(value) + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace

std::vector<PlantedSample> plantDemoMachine() {
  std::uint32_t seed = 7;
  for (const CleanSpec& clean : kCleanFiles) {
    std::string bytes;
    if (clean.text) {
      bytes = clean.text;
    } else if (clean.lookAlikeSize) {
      bytes = samples::buildLookAlike(clean.lookAlikeSize, ++seed);
    } else {
      bytes = noise(30000 + 1000 * seed, seed);
      ++seed;
    }
    if (!writeFile(clean.path, bytes)) return {};
  }
  std::vector<PlantedSample> planted;
  for (const SampleSpec& sampleSpec : kSamples) {
    const SignatureRecord& record = kSignatureTable[sampleSpec.record - 1];
    const std::optional<std::string> bytes = samples::buildSample(record, {});
    if (!bytes || !writeFile(sampleSpec.path, *bytes)) return {};
    if (sampleSpec.readOnly && !SetFileAttributesA(sampleSpec.path, FILE_ATTRIBUTE_READONLY))
      return {};
    planted.push_back({sampleSpec.path, record.name});
  }
  if (!setMachineString(kRunKey, kRunValue, kPlantedRunTarget)) return {};
  return planted;
}

std::vector<std::string> demoCleanFiles() {
  std::vector<std::string> paths;
  for (const CleanSpec& clean : kCleanFiles) paths.emplace_back(clean.path);
  return paths;
}

bool runValuePresent() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const LONG result = RegQueryValueExA(key, kRunValue, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

std::optional<PlantedSample> startInfectedProgram() {
  static const char* const kPath = "C:\\Users\\Public\\Updater\\update_helper.exe";
  const SignatureRecord& record = kSignatureTable[29];
  const std::optional<std::string> bytes = samples::buildRunnableSample(record, {});
  if (!bytes || !writeFile(kPath, *bytes)) return std::nullopt;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  char commandLine[] = "C:\\Users\\Public\\Updater\\update_helper.exe";
  if (!CreateProcessA(kPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return std::nullopt;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return PlantedSample{kPath, record.name};
}

std::optional<PlantedSample> plantHeldSample() {
  static const char* const kPath = "C:\\Held\\evil.exe";
  const SignatureRecord& record = kSignatureTable[0];
  const std::optional<std::string> bytes = samples::buildSample(record, {});
  if (!bytes || !writeFile(kPath, *bytes)) return std::nullopt;
  // Reading is shared, deleting is not. The handle is left to the end of the driver's process.
  const HANDLE held = CreateFileA(kPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return std::nullopt;
  return PlantedSample{kPath, record.name};
}

bool registerSuite() {
  return setMachineString("Software\\Kestrin\\Ardentis 2000", "Installed Folder",
                          "C:\\Program Files\\Kestrin\\Ardentis 2000");
}

}  // namespace vs::uitest
