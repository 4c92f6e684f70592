// A built payload placed as the framer leaves it: at the start of a zeroed
// record buffer, so that the decoders read it exactly as from a log.
#pragma once

#include <array>
#include <cstring>

#include "log_builder.h"
#include "records/payload.h"

namespace zeltlog::testkit {

class PayloadBuffer {
 public:
  explicit PayloadBuffer(const Payload& built) : length_(built.size()) {
    if (built.size() > 0) std::memcpy(bytes_.data(), built.bytes().data(), std::min(built.size(), bytes_.size() - 1));
  }
  zeltlog::Payload view() const { return zeltlog::Payload(bytes_.data(), length_); }

 private:
  std::array<uint8_t, kRecordBufferSize> bytes_{};
  size_t length_;
};

}  // namespace zeltlog::testkit
