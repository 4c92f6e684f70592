// The one list of the guidance log's record kinds. The identifiers
// (`RecordId`), the handler's callbacks (`RecordHandler`), the fan-outs'
// forwards and the record table's rows are all made from it, so a kind
// added here reaches every one of them.
//
// Each row is one of:
//   KIND(Id, identifier, "name", minimum length, Type, Callback, Decoder)
//       a kind with a callback of its own, `Callback(const Type&)`;
//   ALSO(Id, identifier, "name", minimum length, Callback, Decoder)
//       a second encoding of a value whose callback another row declares;
//   SKIP(Id, identifier, "name", minimum length)
//       a kind that is framed and counted, but decoded into nothing.
// The minimum length is the payload bytes the decoder reads (a text runs on
// to its zero byte); a shorter frame is still decoded, the missing bytes
// reading as zero. A decoder returns the value, or an optional of it when
// the record may be refused (a fix that fails the plausibility test).
#pragma once

#define ZELTLOG_RECORD_KINDS(KIND, ALSO, SKIP)                                                                        \
  KIND(FullPosition, 1, "full position", 39, Fix, OnFix, DecodeFullPosition)                                         \
  ALSO(CompactPosition, 2, "compact position", 18, OnFix, DecodeCompactPosition)                                     \
  SKIP(ShortValue, 20, "short value", 2)                                                                              \
  KIND(DesiredFlow, 32, "desired flow", 5, DesiredFlow, OnDesiredFlow, DecodeDesiredFlow)                            \
  KIND(TargetRate, 34, "target rate", 6, TargetRate, OnTargetRate, DecodeTargetRate)                                 \
  KIND(Sections, 35, "sections", 5, SwathSections, OnSections, DecodeSections)                                       \
  KIND(ActualRate, 36, "actual rate", 6, ActualRate, OnActualRate, DecodeActualRate)                                 \
  KIND(HeightSensor, 42, "height sensor", 4, HeightReading, OnHeightReading, DecodeHeightReading)                   \
  KIND(MarkOrBoundary, 60, "mark or boundary point", 22, MarkPoint, OnMarkPoint, DecodeMarkPoint)                   \
  KIND(SystemVersions, 101, "system versions", 44, SystemVersions, OnSystemVersions, DecodeSystemVersions)           \
  KIND(SwathWidth, 120, "swath width", 17, SwathWidth, OnSwathWidth, DecodeSwathWidth)                               \
  KIND(FlowStatus, 140, "flow status", 15, FlowStatus, OnFlowStatus, DecodeFlowStatus)                               \
  KIND(PrescriptionMap, 141, "prescription map", 1, PrescriptionMap, OnPrescriptionMap, DecodePrescriptionMap)       \
  KIND(JobSummary, 201, "job summary", 105, JobSummary, OnJobSummary, DecodeJobSummary)                              \
  KIND(FarmInfo, 202, "farm, field and weather", 208, FarmInfo, OnFarmInfo, DecodeFarmInfo)                          \
  KIND(JobNotes1, 204, "job notes 1", 0, JobNotes, OnJobNotes1, DecodeJobNotes1)                                     \
  KIND(JobNotes2, 205, "job notes 2", 1, JobNotes, OnJobNotes2, DecodeJobNotes2)                                     \
  KIND(TextMessage, 250, "text message", 1, TextMessage, OnTextMessage, DecodeTextMessage)

// The framing's own callbacks, outside the table, as CALLBACK(Callback,
// parameter type): the log's header text, and a frame whose bytes do not
// check. With one CALLBACK per KIND row these are every callback of a
// RecordHandler; a consumer that forwards them all expands both lists.
#define ZELTLOG_FRAMING_CALLBACKS(CALLBACK) \
  CALLBACK(OnHeaderText, std::string_view)  \
  CALLBACK(OnChecksumError, const ChecksumError&)

// For the rows a consumer leaves out.
#define ZELTLOG_NO_ROW(...)
