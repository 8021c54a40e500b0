// The simulated machine's running programs, their tool-help and psapi listings, the services that
// run some of them, the plain message box and the end of the program.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/sim/sim_machine.h"

namespace vs::sim {
namespace {

std::string hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

bool sameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

void fillEntry(ProcessEntry& entry, const SimProcess& process) {
  entry = ProcessEntry{};
  entry.processId = process.id;
  const std::string& name = process.snapshotName.empty() ? process.imagePath : process.snapshotName;
  std::snprintf(entry.exeFile, sizeof entry.exeFile, "%s", name.c_str());
}

}  // namespace

class SimMachine::Process : public ProcessHandle {
 public:
  Process(SimMachine& machine, std::uint32_t id, std::uint32_t access)
      : machine_(machine), id_(id), access_(access) {}

  bool terminate(std::uint32_t exitCode) override {
    machine_.log("terminate " + std::to_string(id_) + " " + std::to_string(exitCode));
    const SimProcess* process = machine_.process(id_);
    // A program that has already ended refuses, as the system does.
    if (!process || process->refuseTerminate || !(access_ & kProcessTerminate)) {
      return machine_.fail(kErrorAccessDenied);
    }
    machine_.endProcess(id_);
    return true;
  }

  std::uint32_t id() const { return id_; }
  std::uint32_t access() const { return access_; }

 private:
  SimMachine& machine_;
  std::uint32_t id_;
  std::uint32_t access_;
};

// Walks the list of programs as it was when the snapshot was taken.
class SimMachine::Snapshot : public ProcessSnapshot {
 public:
  explicit Snapshot(SimMachine& machine) : machine_(machine) {
    for (const SimProcess& p : machine.processes) {
      ProcessEntry entry;
      fillEntry(entry, p);
      entries_.push_back(entry);
    }
  }

  bool first(ProcessEntry& entry) override {
    position_ = 0;
    return give(entry);
  }
  bool next(ProcessEntry& entry) override {
    if (machine_.process32NextMissing) return machine_.fail(kErrorProcNotFound);
    return give(entry);
  }

 private:
  bool give(ProcessEntry& entry) {
    if (position_ >= entries_.size()) return machine_.fail(kErrorNoMoreFiles);
    entry = entries_[position_++];
    return true;
  }

  SimMachine& machine_;
  std::vector<ProcessEntry> entries_;
  std::size_t position_ = 0;
};

class SimMachine::Toolhelp : public ToolhelpLibrary {
 public:
  explicit Toolhelp(SimMachine& machine) : machine_(machine) {}
  std::unique_ptr<ProcessSnapshot> snapshotProcesses() override {
    machine_.log("snapshot");
    if (machine_.snapshotFails) {
      machine_.fail(kErrorAccessDenied);
      return nullptr;
    }
    return std::make_unique<Snapshot>(machine_);
  }

 private:
  SimMachine& machine_;
};

class SimMachine::Psapi : public PsapiLibrary {
 public:
  explicit Psapi(SimMachine& machine) : machine_(machine) {}

  bool enumProcesses(std::uint32_t* ids, std::uint32_t size,
                     std::uint32_t* bytesReturned) override {
    machine_.log("enumProcesses " + std::to_string(size));
    std::uint32_t used = 0;
    for (const SimProcess& p : machine_.processes) {
      if (used + 4 > size) break;
      ids[used / 4] = p.id;
      used += 4;
    }
    *bytesReturned = used;
    return true;
  }

  std::uint32_t mainModulePath(ProcessHandle& handle, char* buffer, std::uint32_t size) override {
    const auto& opened = static_cast<const SimMachine::Process&>(handle);
    const std::uint32_t needed = kProcessQueryInformation | kProcessVmRead;
    const SimProcess* process = machine_.process(opened.id());
    std::uint32_t error = 0;
    if ((opened.access() & needed) != needed) {
      error = kErrorAccessDenied;
    } else if (!process || process->imagePath.empty()) {
      error = kErrorInvalidParameter;
    } else if (process->imagePath.size() + 1 > size) {
      error = kErrorInsufficientBuffer;
    }
    if (error) {
      machine_.fail(error);
      return 0;
    }
    const std::size_t length = process->imagePath.size();
    std::memcpy(buffer, process->imagePath.c_str(), length + 1);
    return static_cast<std::uint32_t>(length);
  }

 private:
  SimMachine& machine_;
};

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
      if (sameText(s.name, name_)) return &s;
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
    machine_.log(std::string("openService ") + name + " " + hex(access));
    for (const SimService& s : machine_.services) {
      if (!sameText(s.name, name)) continue;
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

SimProcess& SimMachine::startProcess(const std::string& imagePath,
                                     std::vector<std::string> heldFiles) {
  SimProcess& started = processes.emplace_back();
  started.id = nextProcessId_;
  nextProcessId_ += 4;
  started.imagePath = imagePath;
  started.heldFiles = std::move(heldFiles);
  // A running program's image cannot be deleted; a file it holds without sharing neither.
  if (Node* image = find(imagePath)) image->deleteError = kErrorAccessDenied;
  for (const std::string& path : started.heldFiles) {
    if (Node* held = find(path)) held->deleteError = kErrorSharingViolation;
  }
  return started;
}

SimProcess* SimMachine::process(std::uint32_t id) {
  for (SimProcess& p : processes) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

bool SimMachine::holdsFile(const std::string& path) const {
  for (const SimProcess& p : processes) {
    if (sameText(p.imagePath, path)) return true;
    for (const std::string& held : p.heldFiles) {
      if (sameText(held, path)) return true;
    }
  }
  return false;
}

void SimMachine::endProcess(std::uint32_t id) {
  const auto found = std::find_if(processes.begin(), processes.end(),
                                  [id](const SimProcess& p) { return p.id == id; });
  if (found == processes.end()) return;
  std::vector<std::string> released = found->heldFiles;
  released.push_back(found->imagePath);
  processes.erase(found);
  ended.push_back(id);
  for (const std::string& path : released) {
    Node* node = find(path);
    if (node && !holdsFile(path)) node->deleteError = 0;
  }
  for (SimService& s : services) {
    if (s.processId == id) s.state = kServiceStopped;
  }
}

std::unique_ptr<ToolhelpLibrary> SimMachine::loadToolhelp() {
  log("loadLibrary Kernel32.dll");
  if (toolhelpMissing) {
    fail(kErrorFileNotFound);
    return nullptr;
  }
  return std::make_unique<Toolhelp>(*this);
}

std::unique_ptr<PsapiLibrary> SimMachine::loadPsapi() {
  log("loadLibrary psapi.dll");
  if (psapiMissing) {
    fail(kErrorFileNotFound);
    return nullptr;
  }
  return std::make_unique<Psapi>(*this);
}

std::unique_ptr<ProcessHandle> SimMachine::openProcess(std::uint32_t access,
                                                       std::uint32_t processId) {
  log("openProcess " + std::to_string(processId) + " " + hex(access));
  const SimProcess* p = process(processId);
  if (!p) {
    fail(kErrorInvalidParameter);
    return nullptr;
  }
  const bool debugging = std::find(enabledPrivileges.begin(), enabledPrivileges.end(),
                                   "SeDebugPrivilege") != enabledPrivileges.end();
  if ((access & p->protectedAccess) || ((access & p->deniedAccess) && !debugging)) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<Process>(*this, processId, access);
}

std::unique_ptr<ServiceManager> SimMachine::openServiceManager(std::uint32_t access) {
  log("openServiceManager " + hex(access));
  if (serviceManagerFails) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<Manager>(*this);
}

int SimMachine::messageBox(const char* text, const char* caption, unsigned type) {
  blocking(std::string("plainMessageBox ") + text);
  plainMessageBoxes.push_back({text, caption, type});
  return kIdOk;
}

void SimMachine::exitProcess(unsigned code) {
  log("exitProcess " + std::to_string(code));
  exitCode = code;
}

}  // namespace vs::sim
