// The table of the guidance log's record kinds, made from the list in
// records/record_kinds.h: for each identifier its name, the payload bytes
// its decoder reads, and the handler callback its decoded value goes to.
// Identifiers outside the table are counted as good frames and otherwise
// skipped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/payload.h"
#include "records/record_handler.h"

namespace zeltlog {

struct RecordKind {
  RecordId id;
  const char* name;
  // Payload bytes the decoder reads (a text runs on to its zero byte). A
  // shorter frame is still decoded: the missing bytes read as zero.
  size_t minimumLength;
  // Decodes the payload and hands the value to its callback.
  void (*deliver)(const Payload& payload, RecordHandler& handler);
};

// The kind of an identifier, or nullptr when the log's records do not use it.
const RecordKind* FindRecordKind(uint8_t identifier);

// Decodes a good frame's payload and hands its value to `handler`.
inline void DeliverRecord(uint8_t identifier, const Payload& payload, RecordHandler& handler) {
  if (const RecordKind* kind = FindRecordKind(identifier)) kind->deliver(payload, handler);
}

}  // namespace zeltlog
