// The simulated machine's running programs and their tool-help and psapi listings. A program holds
// its image and its held files until it ends.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_text.h"
#include "platform/windows_text.h"

namespace vs::sim {
namespace {

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
    const SimProcess* process = askable(handle);
    if (!process) return 0;
    return answer(process->imagePath, buffer, size);
  }

  std::uint32_t mainModulePathWide(ProcessHandle& handle, char16_t* buffer,
                                   std::uint32_t size) override {
    const SimProcess* process = askable(handle);
    if (!process) return 0;
    return answer(
        process->wideImagePath.empty() ? latin1Widened(process->imagePath) : process->wideImagePath,
        buffer, size);
  }

 private:
  // The program behind a handle opened with the rights to ask its module; null, the error set,
  // when it cannot be asked.
  const SimProcess* askable(ProcessHandle& handle) {
    const auto& opened = static_cast<const SimMachine::Process&>(handle);
    const std::uint32_t needed = kProcessQueryInformation | kProcessVmRead;
    const SimProcess* process = machine_.process(opened.id());
    if ((opened.access() & needed) != needed) {
      machine_.fail(kErrorAccessDenied);
      return nullptr;
    }
    if (!process || process->imagePath.empty()) {
      machine_.fail(kErrorInvalidParameter);
      return nullptr;
    }
    return process;
  }

  template <typename Char>
  std::uint32_t answer(const std::basic_string<Char>& path, Char* buffer, std::uint32_t size) {
    if (path.size() + 1 > size) {
      machine_.fail(kErrorInsufficientBuffer);
      return 0;
    }
    std::copy(path.begin(), path.end(), buffer);
    buffer[path.size()] = Char(0);
    return static_cast<std::uint32_t>(path.size());
  }

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

SimProcess& SimMachine::startProcess(const std::u16string& imagePath) {
  SimProcess& started = startProcess(latin1Rendering(imagePath));
  started.wideImagePath = imagePath;
  if (Node* image = find(imagePath)) image->deleteError = kErrorAccessDenied;
  return started;
}

SimProcess* SimMachine::process(std::uint32_t id) {
  for (SimProcess& p : processes) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

// The nodes a program holds: its image and its held files.
std::vector<Node*> SimMachine::heldNodes(const SimProcess& p) const {
  std::vector<Node*> nodes;
  nodes.push_back(p.wideImagePath.empty() ? find(p.imagePath) : find(p.wideImagePath));
  for (const std::string& held : p.heldFiles) nodes.push_back(find(held));
  return nodes;
}

bool SimMachine::holdsFile(const Node* node) const {
  for (const SimProcess& p : processes) {
    const std::vector<Node*> held = heldNodes(p);
    if (std::find(held.begin(), held.end(), node) != held.end()) return true;
  }
  return false;
}

void SimMachine::endProcess(std::uint32_t id) {
  const auto found = std::find_if(processes.begin(), processes.end(),
                                  [id](const SimProcess& p) { return p.id == id; });
  if (found == processes.end()) return;
  const std::vector<Node*> released = heldNodes(*found);
  processes.erase(found);
  ended.push_back(id);
  for (Node* node : released) {
    if (node && !holdsFile(node)) node->deleteError = 0;
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
  log("openProcess " + std::to_string(processId) + " " + hexText(access));
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

}  // namespace vs::sim
