#include "records/record_table.h"

#include <array>
#include <optional>

#include "records/decoders.h"

namespace zeltlog {
namespace {

// Hands a decoded value to its callback; a refused one (an empty
// optional) goes nowhere.
template <typename Value, typename Callback>
void Hand(const Value& value, Callback&& callback) {
  callback(value);
}
template <typename Value, typename Callback>
void Hand(const std::optional<Value>& value, Callback&& callback) {
  if (value) callback(*value);
}

// One row per kind of records/record_kinds.h.
#define ZELTLOG_KIND_ROW(Id, identifier, name, minimum, Type, Callback, Decoder)                   \
  {RecordId::Id, name, minimum, [](const Payload& p, RecordHandler& h) {                          \
     Hand(Decoder(p), [&h](const auto& value) { h.Callback(value); });                            \
   }},
#define ZELTLOG_ALSO_ROW(Id, identifier, name, minimum, Callback, Decoder) \
  ZELTLOG_KIND_ROW(Id, identifier, name, minimum, void, Callback, Decoder)
#define ZELTLOG_SKIP_ROW(Id, identifier, name, minimum) {RecordId::Id, name, minimum, [](const Payload&, RecordHandler&) {}},
constexpr RecordKind kKinds[] = {ZELTLOG_RECORD_KINDS(ZELTLOG_KIND_ROW, ZELTLOG_ALSO_ROW, ZELTLOG_SKIP_ROW)};
#undef ZELTLOG_KIND_ROW
#undef ZELTLOG_ALSO_ROW
#undef ZELTLOG_SKIP_ROW

// Identifier to table entry, built once.
const std::array<const RecordKind*, 256>& Index() {
  static const auto index = [] {
    std::array<const RecordKind*, 256> byId{};
    for (const RecordKind& kind : kKinds) byId[static_cast<uint8_t>(kind.id)] = &kind;
    return byId;
  }();
  return index;
}

}  // namespace

const RecordKind* FindRecordKind(uint8_t identifier) { return Index()[identifier]; }

}  // namespace zeltlog
