#include "records/record_table.h"

#include <array>

#include "records/decoders.h"

namespace zeltlog {
namespace {

void Position(const Payload& p, RecordHandler& h, std::optional<Fix> (*decode)(const Payload&)) {
  if (const auto fix = decode(p)) h.OnFix(*fix);
}

constexpr RecordKind kKinds[] = {
    {RecordId::FullPosition, "full position", 39,
     [](const Payload& p, RecordHandler& h) { Position(p, h, DecodeFullPosition); }},
    {RecordId::CompactPosition, "compact position", 18,
     [](const Payload& p, RecordHandler& h) { Position(p, h, DecodeCompactPosition); }},
    // A 16-bit value nothing shows.
    {RecordId::ShortValue, "short value", 2, [](const Payload&, RecordHandler&) {}},
    {RecordId::DesiredFlow, "desired flow", 5,
     [](const Payload& p, RecordHandler& h) { h.OnDesiredFlow(DecodeDesiredFlow(p)); }},
    {RecordId::TargetRate, "target rate", 6,
     [](const Payload& p, RecordHandler& h) { h.OnTargetRate(DecodeTargetRate(p)); }},
    {RecordId::Sections, "sections", 5, [](const Payload& p, RecordHandler& h) { h.OnSections(DecodeSections(p)); }},
    {RecordId::ActualRate, "actual rate", 6,
     [](const Payload& p, RecordHandler& h) { h.OnActualRate(DecodeActualRate(p)); }},
    {RecordId::HeightSensor, "height sensor", 4,
     [](const Payload& p, RecordHandler& h) { h.OnHeightReading(DecodeHeightReading(p)); }},
    {RecordId::MarkOrBoundary, "mark or boundary point", 22,
     [](const Payload& p, RecordHandler& h) { h.OnMarkPoint(DecodeMarkPoint(p)); }},
    {RecordId::SystemVersions, "system versions", 44,
     [](const Payload& p, RecordHandler& h) { h.OnSystemVersions(DecodeSystemVersions(p)); }},
    {RecordId::SwathWidth, "swath width", 17,
     [](const Payload& p, RecordHandler& h) { h.OnSwathWidth(DecodeSwathWidth(p)); }},
    {RecordId::FlowStatus, "flow status", 15,
     [](const Payload& p, RecordHandler& h) { h.OnFlowStatus(DecodeFlowStatus(p)); }},
    {RecordId::PrescriptionMap, "prescription map", 1,
     [](const Payload& p, RecordHandler& h) { h.OnPrescriptionMap(DecodePrescriptionMap(p)); }},
    {RecordId::JobSummary, "job summary", 105,
     [](const Payload& p, RecordHandler& h) { h.OnJobSummary(DecodeJobSummary(p)); }},
    {RecordId::FarmInfo, "farm, field and weather", 208,
     [](const Payload& p, RecordHandler& h) { h.OnFarmInfo(DecodeFarmInfo(p)); }},
    {RecordId::JobNotes1, "job notes 1", 0,
     [](const Payload& p, RecordHandler& h) { h.OnJobNotes1(DecodeJobNotes1(p)); }},
    {RecordId::JobNotes2, "job notes 2", 1,
     [](const Payload& p, RecordHandler& h) { h.OnJobNotes2(DecodeJobNotes2(p)); }},
    {RecordId::TextMessage, "text message", 1,
     [](const Payload& p, RecordHandler& h) { h.OnTextMessage(DecodeTextMessage(p)); }},
};

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
