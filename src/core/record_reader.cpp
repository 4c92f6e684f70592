#include "core/record_reader.h"

#include <cstring>

#include "core/text_format.h"
#include "decoders/job_info.h"
#include "decoders/marks.h"
#include "decoders/payload.h"
#include "decoders/position.h"
#include "decoders/sensors.h"
#include "decoders/swath_sections.h"
#include "decoders/variable_rate.h"

namespace zeltlog {
namespace {

constexpr uint8_t kSync = 0xA5;

// A console's header is a short version text. A file that is no log may
// hold megabytes before its first NUL; only this much of it is kept.
constexpr size_t kHeaderTextLimit = 4096;

bool ReadHeaderText(ConversionSession& s) {
  if (s.recordBuffer[0] != 0) {
    const size_t limit = s.headerText.size() + kHeaderTextLimit;
    for (;;) {
      const int byte = s.logFile.ReadByte();
      if (byte < 0) return false;
      s.recordBuffer[0] = static_cast<uint8_t>(byte);
      if (s.headerText.size() < limit || byte == 0) s.headerText.push_back(static_cast<char>(byte));
      if (byte == 0) break;
    }
  }
  // The visible line ends at the header's NUL.
  const size_t nul = s.headerText.find('\0');
  s.AddEvent(s.headerLineKind, std::string_view(s.headerText).substr(0, nul));
  return false;
}

// XOR of a run of bytes, eight at a time.
uint8_t XorOf(const uint8_t* bytes, size_t count) {
  uint64_t wide = 0;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    wide ^= word;
  }
  wide ^= wide >> 32;
  wide ^= wide >> 16;
  wide ^= wide >> 8;
  auto x = static_cast<uint8_t>(wide);
  for (; i < count; ++i) x ^= bytes[i];
  return x;
}

void ReportChecksumError(ConversionSession& s, uint8_t identifier, unsigned length, uint8_t residual) {
  ++s.checksumErrorCount;
  s.scratch.clear();
  AppendFormat(s.scratch, "   CS error  ID %d, bytes = %d  cs = %d  %d",
               {identifier, length, residual, s.fourthHeaderByte});
  s.AddEvent(EventKind::Error, s.scratch);
}

void FoldPosition(ConversionSession& s) {
  if (s.currentLatitude > s.latitudeMax) s.latitudeMax = s.currentLatitude;
  if (s.currentLatitude < s.latitudeMin) s.latitudeMin = s.currentLatitude;
  if (s.currentLongitude > s.longitudeMax) s.longitudeMax = s.currentLongitude;
  if (s.currentLongitude < s.longitudeMin) s.longitudeMin = s.currentLongitude;
  if (s.currentAltitude > s.altitudeMax) s.altitudeMax = s.currentAltitude;
  if (s.currentAltitude < s.altitudeMin) s.altitudeMin = s.currentAltitude;
}

void PrescanRecord(ConversionSession& s, uint8_t identifier) {
  switch (identifier) {
    case 1:
      if (DecodePosition1(s, kPositionPrescan)) FoldPosition(s);
      break;
    case 2:
      if (DecodePosition2(s, kPositionPrescan)) FoldPosition(s);
      break;
    case 32:
      DecodeDesiredFlow(s, 0);
      break;
    case 34:
      if (DecodeTargetRate(s, 3)) {
        if (s.currentTargetRate > s.targetRateMax) s.targetRateMax = s.currentTargetRate;
        if (s.currentTargetRate < s.targetRateMin && s.currentTargetRate > 0.1) s.targetRateMin = s.currentTargetRate;
      }
      break;
    case 35:
      DecodeSections(s, 3);
      break;
    case 36:
      // Only stored, so that each flow-status record folds the latest
      // actual rate into the summary.
      DecodeActualRate(s, 3);
      break;
    case 140: {
      if (DecodeFlowStatus(s, 3)) {
        if (s.currentActualRate > s.actualRateMax) s.actualRateMax = s.currentActualRate;
        if (s.currentActualRate < s.actualRateMin) s.actualRateMin = s.currentActualRate;
      }
      const double tank = payload::F32(s, 1);
      if (s.tankFirstPending) {
        s.tankFirst = tank;
        s.tankFirstPending = 0;
      }
      s.tankCurrent = tank;
      s.tankUsed = s.tankFirst - s.tankCurrent;
      break;
    }
    default:
      break;
  }
}

void FullRecord(ConversionSession& s, uint8_t identifier) {
  switch (identifier) {
    case 1: DecodePosition1(s, kPositionFull); break;
    case 2: DecodePosition2(s, kPositionFull); break;
    case 20: DecodeShortValue(s); break;
    case 32: DecodeDesiredFlow(s, 1); break;
    case 34: DecodeTargetRate(s, 1); break;
    case 35: DecodeSections(s, 1); break;
    case 36: DecodeActualRate(s, 1); break;
    case 42: DecodeHeightSensor(s); break;
    case 60: DecodeMarkOrBoundary(s); break;
    case 101: DecodeSystemVersions(s); break;
    case 120: DecodeSwathWidth(s); break;
    case 140: DecodeFlowStatus(s, 1); break;
    case 141: DecodePrescriptionMap(s); break;
    case 201: DecodeJobSummary(s); break;
    case 202: DecodeFarmInfo(s); break;
    case 204: DecodeJobNotes1(s); break;
    case 205: DecodeJobNotes2(s); break;
    case 250: DecodeTextMessage(s); break;
    default: break;
  }
}

}  // namespace

void DispatchRecord(ConversionSession& s, uint8_t identifier, PassMode mode) {
  if (mode == PassMode::Prescan) {
    PrescanRecord(s, identifier);
  } else {
    FullRecord(s, identifier);
  }
}

bool ReadRecord(ConversionSession& s, PassMode mode) {
  if (mode == PassMode::Header) return ReadHeaderText(s);
  const bool full = mode != PassMode::Prescan;

  // Every frame starts with a fresh search for the sync byte.
  for (;;) {
    const int byte = s.logFile.ReadByte();
    if (byte < 0) return false;
    if (byte == kSync) break;
  }

  uint8_t header[3];
  if (s.logFile.Read(header, 3) < 3) {
    // Cut inside the frame header: the pass ends.
    s.logEndedInsideFrame = true;
    return false;
  }
  const unsigned length = header[0];
  const uint8_t identifier = header[1];
  s.fourthHeaderByte = header[2];
  uint8_t residual = static_cast<uint8_t>(kSync ^ header[0] ^ header[1] ^ header[2]);

  if (length < 4) {
    // Not a frame at all; report it and search on from the next byte.
    if (full) ReportChecksumError(s, identifier, length, residual);
    return true;
  }

  const size_t wanted = length - 4;
  const size_t previous = s.payloadLength;
  const size_t got = s.logFile.Read(s.recordBuffer.data(), wanted);
  // Bytes past this payload read as zero, never as an earlier frame's.
  if (got < previous) std::memset(s.recordBuffer.data() + got, 0, previous - got);
  s.payloadLength = got;
  residual ^= XorOf(s.recordBuffer.data(), got);

  if (got < wanted) {
    // The file ends inside the payload: never dispatched.
    if (full) ReportChecksumError(s, identifier, length, residual);
    s.logEndedInsideFrame = true;
    return false;
  }
  if (residual != 0) {
    if (full) ReportChecksumError(s, identifier, length, residual);
    return true;
  }
  if (full) ++s.goodRecordCount;
  DispatchRecord(s, identifier, mode);
  return true;
}

}  // namespace zeltlog
