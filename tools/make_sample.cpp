// Writes sample files for records of the signature table.
//   make_sample --record N [--layout one|three|none] [--miss NAME] [--seed S] --out FILE
//   make_sample --all DIR        one sample per record, named after its position
//   make_sample --lookalike N [--seed S] --out FILE   a clean PE file of record N's size
//   make_sample --runnable N [--machine amd64|i386] [--seed S] --out FILE
//                                an infected program that starts and sleeps until it is killed
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "runnable_sample.h"
#include "sample_builder.h"

namespace {

using namespace vs::samples;

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int usage() {
  std::fprintf(stderr,
               "usage: make_sample --record N [--layout one|three|none] "
               "[--miss none|byte|longer|shorter|moved] [--seed S] --out FILE\n"
               "       make_sample --all DIR\n"
               "       make_sample --lookalike N [--seed S] --out FILE\n"
               "       make_sample --runnable N [--machine amd64|i386] [--seed S] --out FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int record = 0;
  int lookAlike = 0;
  int runnable = 0;
  Machine machine = Machine::Amd64;
  std::string out;
  std::string allDir;
  SampleOptions options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const std::string value = argv[i + 1];
    if (flag == "--record") {
      record = std::atoi(value.c_str());
    } else if (flag == "--lookalike") {
      lookAlike = std::atoi(value.c_str());
    } else if (flag == "--runnable") {
      runnable = std::atoi(value.c_str());
    } else if (flag == "--machine") {
      if (value == "amd64")
        machine = Machine::Amd64;
      else if (value == "i386")
        machine = Machine::I386;
      else
        return usage();
    } else if (flag == "--out") {
      out = value;
    } else if (flag == "--all") {
      allDir = value;
    } else if (flag == "--seed") {
      options.seed = static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (flag == "--layout") {
      if (value == "one")
        options.layout = SampleLayout::OneSection;
      else if (value == "three")
        options.layout = SampleLayout::ThreeSections;
      else if (value == "none")
        options.layout = SampleLayout::NoSections;
      else
        return usage();
    } else if (flag == "--miss") {
      if (value == "none")
        options.miss = NearMiss::None;
      else if (value == "byte")
        options.miss = NearMiss::ProbeByteChanged;
      else if (value == "longer")
        options.miss = NearMiss::OneByteLonger;
      else if (value == "shorter")
        options.miss = NearMiss::OneByteShorter;
      else if (value == "moved")
        options.miss = NearMiss::ProbeMoved;
      else
        return usage();
    } else {
      return usage();
    }
  }
  if (!allDir.empty()) {
    for (int i = 0; i < vs::kSignatureCount; ++i) {
      const auto bytes = buildSample(vs::kSignatureTable[i], options);
      if (!bytes) continue;
      char name[32];
      std::snprintf(name, sizeof name, "/sample%03d.exe", i + 1);
      if (!writeFile(allDir + name, *bytes)) return 1;
    }
    return 0;
  }
  if (lookAlike >= 1 && lookAlike <= vs::kSignatureCount && !out.empty()) {
    const auto size = static_cast<std::uint32_t>(vs::kSignatureTable[lookAlike - 1].fileSize);
    return writeFile(out, buildLookAlike(size, options.seed)) ? 0 : 1;
  }
  if (runnable != 0) {
    if (runnable < 1 || runnable > vs::kSignatureCount || out.empty()) return usage();
    const auto bytes =
        buildRunnableSample(vs::kSignatureTable[runnable - 1], {machine, options.seed});
    if (!bytes) {
      std::fprintf(stderr, "make_sample: record %d leaves no room for code\n", runnable);
      return 1;
    }
    return writeFile(out, *bytes) ? 0 : 1;
  }
  if (record < 1 || record > vs::kSignatureCount || out.empty()) return usage();
  const auto bytes = buildSample(vs::kSignatureTable[record - 1], options);
  if (!bytes) {
    std::fprintf(stderr, "make_sample: record %d cannot be placed in this layout\n", record);
    return 1;
  }
  return writeFile(out, *bytes) ? 0 : 1;
}
