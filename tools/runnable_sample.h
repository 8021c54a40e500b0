// Infected samples that Windows (and Wine) will start: a PE file of the record's exact size whose
// entry point leads, past any probe bytes, to code that sleeps for ever through its own import of
// Sleep from kernel32. They stand for an infected program in memory in the tests and the demo.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/signature_record.h"

namespace vs::samples {

enum class Machine {
  I386,   // PE32, for the 32-bit systems the tool serves
  Amd64,  // PE32+, for the 64-bit systems (and the 64-bit Wine of the tests)
};

struct RunnableOptions {
  Machine machine = Machine::Amd64;
  std::uint32_t seed = 1;  // fills the rest of the file with reproducible noise
};

// The file's bytes, or nothing when the record's probes leave no room for the code at or near the
// entry point, or the record is too small to hold headers, code and probes.
std::optional<std::string> buildRunnableSample(const SignatureRecord& record,
                                               const RunnableOptions& options);

}  // namespace vs::samples
