// The callbacks through which decoded records reach whoever consumes them,
// one per record kind, each empty by default: a consumer overrides only
// the kinds it needs.
#pragma once

#include <cstdint>
#include <string_view>

#include "records/records.h"

namespace zeltlog {

// A frame whose bytes do not XOR to zero, or whose length cannot hold its
// own header, or that the file cuts off inside its payload.
struct ChecksumError {
  int identifier = 0;
  unsigned length = 0;
  uint8_t residual = 0;  // XOR over the bytes read
  uint8_t fourthHeaderByte = 0;
};

class RecordHandler {
 public:
  virtual ~RecordHandler() = default;
  // The log's header text, up to its NUL.
  virtual void OnHeaderText(std::string_view) {}
  virtual void OnChecksumError(const ChecksumError&) {}
  // One per record kind with a callback of its own (records/record_kinds.h).
#define ZELTLOG_RECORD_CALLBACK(Id, identifier, name, minimum, Type, Callback, Decoder) \
  virtual void Callback(const Type&) {}
  ZELTLOG_RECORD_KINDS(ZELTLOG_RECORD_CALLBACK, ZELTLOG_NO_ROW, ZELTLOG_NO_ROW)
#undef ZELTLOG_RECORD_CALLBACK
};

}  // namespace zeltlog
