// The simulated machine's performance data: the process object's block, built from the running
// programs as the NT line publishes it, served through HKEY_PERFORMANCE_DATA.
#include <algorithm>
#include <cstring>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_perf_block.h"
#include "platform/sim/sim_text.h"

namespace vs::sim {
namespace {

// The NT line's name of a process instance: the image's file name without its extension.
std::u16string instanceName(const SimProcess& process) {
  if (!process.perfName.empty()) return latin1Widened(process.perfName);
  const std::u16string path =
      process.wideImagePath.empty() ? latin1Widened(process.imagePath) : process.wideImagePath;
  std::u16string name = path.substr(path.rfind(u'\\') + 1);
  const std::size_t dot = name.rfind(u'.');
  return dot == std::u16string::npos ? name : name.substr(0, dot);
}

}  // namespace

class SimMachine::PerformanceRoot : public RegistryKey {
 public:
  explicit PerformanceRoot(SimMachine& machine) : machine_(machine) {}

  std::int32_t queryValue(const char* name, std::uint32_t* type, void* data,
                          std::uint32_t* size) override {
    machine_.log(std::string("perfData ") + name + " " + std::to_string(*size));
    machine_.perfDataQueries.push_back(*size);
    if (machine_.perfDataError) return machine_.perfDataError;
    const std::vector<std::uint8_t> block = machine_.performanceBlock(name);
    const std::uint32_t needed =
        std::max(static_cast<std::uint32_t>(block.size()), machine_.perfDataMinimumBuffer);
    if (!data || *size < needed) {
      // Like the system, the performance-data root need not say how much it wants.
      if (machine_.perfDataSizeHint) *size = machine_.perfDataSizeHint;
      return static_cast<std::int32_t>(kErrorMoreData);
    }
    if (type) *type = 3;  // REG_BINARY
    std::memcpy(data, block.data(), block.size());
    *size = static_cast<std::uint32_t>(block.size());
    return 0;
  }
  std::int32_t valueCount(std::uint32_t&) override {
    return static_cast<std::int32_t>(kErrorInvalidFunction);
  }
  std::int32_t enumValueName(std::uint32_t, char*, std::uint32_t*) override {
    return static_cast<std::int32_t>(kErrorInvalidFunction);
  }
  std::int32_t deleteValue(const char*) override {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  // The simulated root answers only the ANSI query, the one the program makes.
  std::int32_t queryValueWide(const char16_t*, std::uint32_t*, void*, std::uint32_t*) override {
    return static_cast<std::int32_t>(kErrorCallNotImplemented);
  }
  std::int32_t enumValueNameWide(std::uint32_t, char16_t*, std::uint32_t*) override {
    return static_cast<std::int32_t>(kErrorInvalidFunction);
  }
  std::int32_t deleteValueWide(const char16_t*) override {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  std::int32_t close() override {
    machine_.log("perfData close");
    return 0;
  }

 private:
  SimMachine& machine_;
};

std::vector<std::uint8_t> SimMachine::performanceBlock(const std::string& objectIndexText) const {
  if (perfDataBlock) return *perfDataBlock;
  std::vector<PerfInstance> instances{{u"Idle", 0}};
  for (const SimProcess& p : processes) instances.push_back({instanceName(p), p.id});
  instances.push_back({u"_Total", 0});
  PerfBlock block(instances, perfIdCounter);
  if (objectIndexText != perfProcessObject) {
    // An object the system does not know: the data block's header and no object.
    block.bytes.resize(PerfBlock::kDataHeader);
    block.put32(20, PerfBlock::kDataHeader);
    block.put32(28, 0);
  }
  return block.bytes;
}

std::unique_ptr<RegistryKey> SimMachine::performanceData() {
  return std::make_unique<PerformanceRoot>(*this);
}

}  // namespace vs::sim
