// The part of a platform that a Windows installation seen from outside lacks: nothing of that
// system runs (it lies on mounted volumes or in a disk image), so there are no programs to list or
// kill, no services to stop, no performance data, no privileges, no restart, and nothing can be
// left for its next start. Every such call is refused here, once for every backend of the kind,
// with the code the system gives when the facility is missing; the backend supplies the rest.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace vs {

class NotRunningPlatform : public Platform {
 public:
  std::uint32_t lastError() override { return lastError_; }

  std::unique_ptr<ToolhelpLibrary> loadToolhelp() override;
  std::unique_ptr<PsapiLibrary> loadPsapi() override;
  std::unique_ptr<ProcessHandle> openProcess(std::uint32_t access,
                                             std::uint32_t processId) override;
  std::unique_ptr<ServiceManager> openServiceManager(std::uint32_t access) override;
  std::unique_ptr<RegistryKey> performanceData() override;
  // Service keys belong to services, which only a running system has.
  std::int32_t deleteMachineKey(const char* path) override;
  std::unique_ptr<AccessToken> openProcessToken(std::uint32_t desiredAccess) override;
  bool lookupPrivilegeValue(const char* name, PrivilegeId& privilege) override;
  bool exitWindows(std::uint32_t flags, std::uint32_t reserved) override;
  bool deleteAtReboot(const char* path) override;
  bool deleteAtRebootWide(const char16_t* path) override;

 protected:
  // Records a failure's code and returns false, so that a failing path can end with it.
  bool fail(std::uint32_t error) {
    lastError_ = error;
    return false;
  }

  // The one error slot of the platform; listings and files of the backend keep a reference.
  std::uint32_t lastError_ = 0;
};

}  // namespace vs
