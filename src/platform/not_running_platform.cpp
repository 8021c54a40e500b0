#include "platform/not_running_platform.h"

namespace vs {

std::unique_ptr<ToolhelpLibrary> NotRunningPlatform::loadToolhelp() {
  fail(kErrorProcNotFound);
  return nullptr;
}

std::unique_ptr<PsapiLibrary> NotRunningPlatform::loadPsapi() {
  fail(kErrorProcNotFound);
  return nullptr;
}

std::unique_ptr<ProcessHandle> NotRunningPlatform::openProcess(std::uint32_t, std::uint32_t) {
  fail(kErrorInvalidParameter);
  return nullptr;
}

std::unique_ptr<ServiceManager> NotRunningPlatform::openServiceManager(std::uint32_t) {
  fail(kErrorAccessDenied);
  return nullptr;
}

std::unique_ptr<RegistryKey> NotRunningPlatform::performanceData() {
  return nullptr;
}

std::int32_t NotRunningPlatform::deleteMachineKey(const char*) {
  return static_cast<std::int32_t>(kErrorAccessDenied);
}

std::unique_ptr<AccessToken> NotRunningPlatform::openProcessToken(std::uint32_t) {
  fail(kErrorAccessDenied);
  return nullptr;
}

bool NotRunningPlatform::lookupPrivilegeValue(const char*, PrivilegeId&) {
  return fail(kErrorAccessDenied);
}

bool NotRunningPlatform::exitWindows(std::uint32_t, std::uint32_t) {
  return fail(kErrorAccessDenied);
}

bool NotRunningPlatform::deleteAtReboot(const char*) {
  return fail(kErrorAccessDenied);
}

bool NotRunningPlatform::deleteAtRebootWide(const char16_t*) {
  return fail(kErrorAccessDenied);
}

}  // namespace vs
