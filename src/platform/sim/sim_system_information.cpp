// The simulated machine as a system: the version it reports, its folders, environment and ANSI
// code page, the privileges of its account, the restart requests it receives, its clock and the
// program's end.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_text.h"
#include "platform/windows_text.h"

namespace vs::sim {
namespace {

// The identifiers that the system gives the privileges it knows.
struct KnownPrivilege {
  const char* name;
  std::uint32_t id;
};
constexpr KnownPrivilege kKnownPrivileges[] = {{"SeShutdownPrivilege", 19},
                                               {"SeDebugPrivilege", 20}};

std::string upperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

const char* privilegeName(const PrivilegeId& privilege) {
  for (const KnownPrivilege& known : kKnownPrivileges) {
    if (privilege.highPart == 0 && privilege.lowPart == known.id) return known.name;
  }
  return nullptr;
}

}  // namespace

class SimMachine::Token : public AccessToken {
 public:
  Token(SimMachine& machine, std::uint32_t access) : machine_(machine), access_(access) {}

  bool adjustPrivilege(const PrivilegeId& privilege, std::uint32_t attributes) override {
    const char* name = privilegeName(privilege);
    machine_.log(std::string("adjustPrivilege ") + (name ? name : "?") + " " + hexText(attributes));
    if (!(access_ & kTokenAdjustPrivileges) || !name) return machine_.fail(kErrorAccessDenied);
    const auto& held = machine_.heldPrivileges;
    if (std::find(held.begin(), held.end(), name) == held.end()) {
      machine_.lastError_ = kErrorNotAllAssigned;  // the call succeeds all the same
      return true;
    }
    if (attributes & kSePrivilegeEnabled) machine_.enabledPrivileges.push_back(name);
    machine_.lastError_ = 0;
    return true;
  }

 private:
  SimMachine& machine_;
  std::uint32_t access_;
};

bool SimMachine::version(VersionInfo& info) {
  log("version");
  if (!versionInfo) return fail(kErrorInvalidParameter);
  info = *versionInfo;
  return true;
}

std::unique_ptr<AccessToken> SimMachine::openProcessToken(std::uint32_t desiredAccess) {
  log("openProcessToken " + hexText(desiredAccess));
  if (tokenOpenFails) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<Token>(*this, desiredAccess);
}

bool SimMachine::lookupPrivilegeValue(const char* name, PrivilegeId& privilege) {
  log(std::string("lookupPrivilegeValue ") + name);
  for (const KnownPrivilege& known : kKnownPrivileges) {
    if (std::string(name) == known.name) {
      privilege = {known.id, 0};
      return true;
    }
  }
  return fail(kErrorNoSuchPrivilege);
}

bool SimMachine::exitWindows(std::uint32_t flags, std::uint32_t reserved) {
  log("exitWindows " + hexText(flags) + " " + hexText(reserved));
  restartRequests.push_back(flags);
  return !exitWindowsFails || fail(kErrorAccessDenied);
}

std::uint32_t SimMachine::windowsDirectory(char* buffer, std::uint32_t size) {
  log("windowsDirectory");
  const std::uint32_t result = answerText(windowsDirectoryPath, buffer, size);
  if (result == 0) fail(kErrorPathNotFound);
  return result;
}

std::uint32_t SimMachine::systemDirectory(char* buffer, std::uint32_t size) {
  log("systemDirectory");
  const std::uint32_t result = answerText(systemDirectoryPath, buffer, size);
  if (result == 0) fail(kErrorPathNotFound);
  return result;
}

std::uint32_t SimMachine::tempPath(char* buffer, std::uint32_t size) {
  log("tempPath");
  const std::uint32_t result = answerText(tempDirectoryPath, buffer, size);
  if (result == 0) fail(kErrorPathNotFound);
  return result;
}

namespace {

// The variables of a text expanded: a %NAME% that names no variable stays as it is, as does a lone
// percent sign. Names and values are Latin-1.
template <typename Char>
std::basic_string<Char> expandVariables(const std::basic_string<Char>& text,
                                        const std::map<std::string, std::string>& environment) {
  using Text = std::basic_string<Char>;
  Text result;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find(Char('%'), at);
    const std::size_t close = open == Text::npos ? open : text.find(Char('%'), open + 1);
    if (close == Text::npos) {
      result += text.substr(at);
      break;
    }
    result += text.substr(at, open - at);
    std::string name;
    for (const Char c : text.substr(open + 1, close - open - 1)) {
      name += static_cast<unsigned>(c) <= 0xFF ? static_cast<char>(c) : '?';
    }
    const auto variable = environment.find(upperCase(name));
    if (variable != environment.end()) {
      for (const char c : variable->second)
        result += static_cast<Char>(static_cast<unsigned char>(c));
      at = close + 1;
    } else {
      result += Char('%');
      at = open + 1;
    }
  }
  return result;
}

}  // namespace

std::uint32_t SimMachine::expandEnvironmentStrings(const char* source, char* destination,
                                                   std::uint32_t size) {
  const std::string result = expandVariables(std::string(source), environment);
  const auto needed = static_cast<std::uint32_t>(result.size() + 1);
  if (needed <= size) std::memcpy(destination, result.c_str(), needed);
  return needed;
}

std::uint32_t SimMachine::expandEnvironmentStringsWide(const char16_t* source,
                                                       char16_t* destination, std::uint32_t size) {
  const std::u16string result = expandVariables(std::u16string(source), environment);
  const auto needed = static_cast<std::uint32_t>(result.size() + 1);
  if (needed <= size) std::copy(result.c_str(), result.c_str() + needed, destination);
  return needed;
}

int SimMachine::wideToAnsi(const char16_t* text, int length, char* out, int capacity) {
  if (ansiConversionFails) {
    fail(kErrorNoUnicodeTranslation);
    return 0;
  }
  std::size_t count = length >= 0 ? static_cast<std::size_t>(length) : 0;
  if (length < 0) {
    while (text[count] != u'\0') ++count;
    ++count;
  }
  if (count > static_cast<std::size_t>(capacity)) {
    fail(kErrorInsufficientBuffer);
    return 0;
  }
  // Latin-1 stands for the ANSI code page; what it cannot show becomes the default character.
  for (std::size_t i = 0; i < count; ++i)
    out[i] = text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
  return static_cast<int>(count);
}

int SimMachine::ansiToWide(const char* text, int length, char16_t* out, int capacity) {
  if (ansiConversionFails) {
    fail(kErrorNoUnicodeTranslation);
    return 0;
  }
  const std::size_t count = length >= 0 ? static_cast<std::size_t>(length) : std::strlen(text) + 1;
  if (count > static_cast<std::size_t>(capacity)) {
    fail(kErrorInsufficientBuffer);
    return 0;
  }
  // Latin-1 stands for the ANSI code page: every byte is the code point of its value.
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<unsigned char>(text[i]);
  return static_cast<int>(count);
}

void SimMachine::sleep(unsigned milliseconds) {
  blocking("sleep " + std::to_string(milliseconds));
  sleeps.push_back(milliseconds);
  clock += milliseconds;
}

std::uint32_t SimMachine::tickCount() {
  return clock += clockStep;
}

void SimMachine::exitProcess(unsigned code) {
  log("exitProcess " + std::to_string(code));
  exitCode = code;
}

}  // namespace vs::sim
