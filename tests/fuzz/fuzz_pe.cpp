// The PE header reader, the address mapping and the probe reads over arbitrary file contents,
// against the real table and against records that accept any length, so that every input is
// probed at whatever offsets its headers produce.
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/matcher.h"
#include "platform/sim/sim_machine.h"

namespace {

vs::SignatureRecord anySizeRecord(std::int32_t offset1, std::int32_t offset2) {
  vs::SignatureRecord record{};
  std::strcpy(record.name, "any");
  record.probeOffset1 = offset1;
  record.probeOffset2 = offset2;
  record.sizeMode = vs::kSizeAny;
  return record;
}

const vs::SignatureRecord kAnySize[] = {anySizeRecord(0, 0), anySizeRecord(-262052, 451037),
                                        anySizeRecord(28048, -27737), vs::SignatureRecord{}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vs::sim::SimMachine os;
  os.logCalls = false;
  os.addFile("C:\\f.exe", std::string(reinterpret_cast<const char*>(data), size));
  auto file = os.openForReading("C:\\f.exe");
  vs::PeImageInfo info;
  if (!vs::readPeHeaders(*file, info)) return 0;
  const auto length = static_cast<std::uint32_t>(size);
  vs::findMatchingRecord(vs::kSignatureTable, *file, info, length);
  vs::findMatchingRecord(kAnySize, *file, info, length);
  for (std::uint32_t address : {0u, info.addressOfEntryPoint, 0xFFFFFFFFu, length}) {
    vs::rvaToFileOffset(address, info, length);
  }
  return 0;
}
