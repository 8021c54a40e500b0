// What every backend answers for the process, service and performance-data calls. An installation
// seen from outside (mounted volumes, disk images) has no running system: its answers say so.
#include "conformance/conformance.h"
#include "conformance/steps.h"

namespace vs::conformance {
namespace {

using namespace steps;

const std::string kNothingRuns =
    "nothing of an installation seen from outside runs: no programs, services or performance data";

// The same deviation for both backends without a running system.
std::vector<Deviation> outside(std::vector<Step> instead) {
  return {{Backend::MountedVolume, kNothingRuns, instead},
          {Backend::DiskImage, kNothingRuns, instead}};
}

// An id that no process has: ids are multiples of four.
constexpr std::int64_t kNoSuchProcess = 0x7FFFFFF1;

std::vector<Row> makeRows() {
  return {
      {"AProgramThatDoesNotRunCannotBeOpened",
       {},
       {},
       {fails(Call::OpenProcess, "", kErrorInvalidParameter, kNoSuchProcess)}},
      {"TheProcessListsCanBeLoaded",
       {},
       {},
       {Step{Call::LoadPsapi}, Step{Call::LoadToolhelp}},
       outside({fails(Call::LoadPsapi, "", kErrorProcNotFound),
                fails(Call::LoadToolhelp, "", kErrorProcNotFound)})},
      {"AServiceThatDoesNotExistCannotBeOpened",
       {},
       {},
       {Step{Call::OpenServiceManager},
        fails(Call::OpenService, "VsNoSuchService", kErrorServiceDoesNotExist)},
       outside({fails(Call::OpenServiceManager, "", kErrorAccessDenied)})},
      {"PerformanceDataIsPublished",
       {},
       {},
       {Step{Call::PerformanceData}},
       outside({fails(Call::PerformanceData, "", 0)})},
  };
}

}  // namespace

const std::vector<Row>& systemRows() {
  static const std::vector<Row> rows = makeRows();
  return rows;
}

}  // namespace vs::conformance
