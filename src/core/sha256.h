// SHA-256 (FIPS 180-4) of a log's bytes, for the record of a job: a reader
// of the record can tell that the log it holds is the one reported. None
// of the libraries the programs link offers it, and it is short.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zeltlog {

class Sha256 {
 public:
  Sha256();
  void Update(const uint8_t* bytes, size_t count);
  // The digest as 64 lower-case hexadecimal digits; the hash is spent.
  std::string HexDigest();

 private:
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> pending_{};
  size_t pendingCount_ = 0;
  uint64_t length_ = 0;  // bytes taken
};

// The digest of a whole file, read in one streaming pass; empty, with the
// reason in `error`, when it cannot be read.
std::string Sha256OfFile(const std::string& path, std::string& error);

}  // namespace zeltlog
