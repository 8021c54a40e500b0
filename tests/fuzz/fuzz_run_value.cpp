// The Run-value command rules over arbitrary commands and paths: three zero-separated texts.
#include <cstdint>
#include <string>

#include "remediation/run_value_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string parts[3];
  int part = 0;
  for (std::size_t i = 0; i < size && part < 3; ++i) {
    if (data[i] == 0) {
      ++part;
    } else {
      parts[part].push_back(static_cast<char>(data[i]));
    }
  }
  vs::judgeRunValue(parts[0].c_str(), parts[1].c_str(), parts[2].c_str());
  return 0;
}
