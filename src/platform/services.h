// The service control manager of the local machine.
#pragma once

#include <cstdint>
#include <memory>

namespace vs {

// Service manager and service access (SC_MANAGER_ALL_ACCESS, which for a service grants the
// query, stop and delete rights) and the states a service reports.
constexpr std::uint32_t kServiceAllAccess = 0xF003F;
constexpr std::uint32_t kServiceStopped = 1;
constexpr std::uint32_t kServiceStopPending = 3;
constexpr std::uint32_t kServiceRunning = 4;

// An open service; destroying it closes the handle. The state is dwCurrentState of the service's
// status record.
class ServiceHandle {
 public:
  virtual ~ServiceHandle() = default;
  // ControlService with SERVICE_CONTROL_STOP; on success currentState is the state the service
  // reports in answer. False on failure, lastError() tells why.
  virtual bool stop(std::uint32_t& currentState) = 0;
  // QueryServiceStatus.
  virtual bool queryStatus(std::uint32_t& currentState) = 0;
};

// The service control manager of the local machine, default database; destroying it closes it.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // OpenServiceA; null on failure, lastError() tells why.
  virtual std::unique_ptr<ServiceHandle> openService(const char* name, std::uint32_t access) = 0;
};

class Services {
 public:
  virtual ~Services() = default;

  // OpenSCManagerA on the local machine's default database; null on failure.
  virtual std::unique_ptr<ServiceManager> openServiceManager(std::uint32_t access) = 0;
};

}  // namespace vs
