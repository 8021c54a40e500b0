// SHA-256 (FIPS 180-4), for the digests of infected files in the JSON report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vs::offline {

class Sha256 {
 public:
  Sha256();
  void update(const void* data, std::size_t length);
  // The digest in lower-case hexadecimal; the object is spent afterwards.
  std::string finishHex();

 private:
  void compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

}  // namespace vs::offline
