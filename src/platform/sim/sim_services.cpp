// The simulated machine's services: opened by name, stopped with the program that runs them.
#include "platform/sim/sim_machine.h"
#include "platform/windows_text.h"

namespace vs::sim {

class SimMachine::Service : public ServiceHandle {
 public:
  Service(SimMachine& machine, std::string name) : machine_(machine), name_(std::move(name)) {}

  bool stop(std::uint32_t& currentState) override {
    machine_.log("stopService " + name_);
    SimService* service = find();
    if (!service) return machine_.fail(kErrorServiceDoesNotExist);
    if (service->state == kServiceStopped) return machine_.fail(kErrorServiceNotActive);
    service->state = kServiceStopPending;
    settle(*service);
    currentState = service->state;
    return true;
  }

  bool queryStatus(std::uint32_t& currentState) override {
    machine_.log("queryService " + name_);
    SimService* service = find();
    if (!service) return machine_.fail(kErrorServiceDoesNotExist);
    if (service->state == kServiceStopPending && service->pendingQueries > 0) {
      --service->pendingQueries;
    } else {
      settle(*service);
    }
    currentState = service->state;
    return true;
  }

 private:
  SimService* find() {
    for (SimService& s : machine_.services) {
      if (equalsIgnoringCase(s.name, name_)) return &s;
    }
    return nullptr;
  }

  // A stopping service stops once its pending queries are used up, ending its program.
  void settle(SimService& service) {
    if (service.state != kServiceStopPending || service.neverStops || service.pendingQueries > 0) {
      return;
    }
    service.state = kServiceStopped;
    if (service.processId && machine_.process(service.processId)) {
      machine_.endProcess(service.processId);
    }
  }

  SimMachine& machine_;
  std::string name_;
};

class SimMachine::Manager : public ServiceManager {
 public:
  explicit Manager(SimMachine& machine) : machine_(machine) {}
  std::unique_ptr<ServiceHandle> openService(const char* name, std::uint32_t access) override {
    machine_.log(std::string("openService ") + name + " " + hexText(access));
    for (const SimService& s : machine_.services) {
      if (!equalsIgnoringCase(s.name, name)) continue;
      if (s.denyOpen) {
        machine_.fail(kErrorAccessDenied);
        return nullptr;
      }
      return std::make_unique<Service>(machine_, s.name);
    }
    machine_.fail(kErrorServiceDoesNotExist);
    return nullptr;
  }

 private:
  SimMachine& machine_;
};

std::unique_ptr<ServiceManager> SimMachine::openServiceManager(std::uint32_t access) {
  log("openServiceManager " + hexText(access));
  if (serviceManagerFails) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<Manager>(*this);
}

}  // namespace vs::sim
