// The service control manager of the real machine. The 9x line has the same calls as stubs that
// fail, so linking them keeps the program starting there.
#include <windows.h>

#include <memory>
#include <utility>

#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"

namespace vs {
namespace {

static_assert(kServiceAllAccess == SC_MANAGER_ALL_ACCESS);
static_assert(kServiceStopped == SERVICE_STOPPED && kServiceStopPending == SERVICE_STOP_PENDING &&
              kServiceRunning == SERVICE_RUNNING);

using ServiceHandleOwner = win32::ScmHandle;

class Win32Service : public ServiceHandle {
 public:
  Win32Service(ServiceHandleOwner handle, std::uint32_t& lastError)
      : handle_(std::move(handle)), lastError_(lastError) {}

  bool stop(std::uint32_t& currentState) override {
    SERVICE_STATUS status{};
    if (!ControlService(handle_.get(), SERVICE_CONTROL_STOP, &status)) return failed();
    currentState = status.dwCurrentState;
    return true;
  }

  bool queryStatus(std::uint32_t& currentState) override {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(handle_.get(), &status)) return failed();
    currentState = status.dwCurrentState;
    return true;
  }

 private:
  bool failed() {
    lastError_ = GetLastError();
    return false;
  }

  ServiceHandleOwner handle_;
  std::uint32_t& lastError_;
};

class Win32ServiceManager : public ServiceManager {
 public:
  Win32ServiceManager(ServiceHandleOwner handle, std::uint32_t& lastError)
      : handle_(std::move(handle)), lastError_(lastError) {}

  std::unique_ptr<ServiceHandle> openService(const char* name, std::uint32_t access) override {
    ServiceHandleOwner service(OpenServiceA(handle_.get(), name, access));
    if (!service) {
      lastError_ = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32Service>(std::move(service), lastError_);
  }

 private:
  ServiceHandleOwner handle_;
  std::uint32_t& lastError_;
};

}  // namespace

std::unique_ptr<ServiceManager> Win32Platform::openServiceManager(std::uint32_t access) {
  ServiceHandleOwner manager(OpenSCManagerA(nullptr, nullptr, access));
  if (!manager) {
    failed();
    return nullptr;
  }
  return std::make_unique<Win32ServiceManager>(std::move(manager), lastError_);
}

}  // namespace vs
