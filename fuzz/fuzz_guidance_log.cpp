// The guidance log through the whole conversion: pre-scan, summary, full
// pass and the three documents, written to a scratch folder by the real
// RunLogConversionOn with a recording platform. Beyond the absence of a
// crash it checks that
//   - every document written is well-formed XML with CR LF line ends;
//   - the end line's counts agree with an independent re-framing of the
//     input: the fixes drawn are the good position frames with a plausible
//     fix, the checksum errors are the frames that do not XOR to zero (or
//     describe no frame, or are cut off by the end of the file);
//   - the session's count of good frames agrees with the same re-framing.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pipeline/log_conversion.h"
#include "fuzz_support.h"
#include "recording_platform.h"
#include "xml_check.h"

namespace {

using zeltlog::fuzz::Check;

struct FrameCounts {
  int good = 0;
  int bad = 0;
  int fixes = 0;
};

// The fields as the consoles write them, little-endian like this machine.
template <typename Number>
Number Field(const uint8_t* p) {
  Number value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// A fix is drawn when its latitude and longitude are numbers inside the
// globe (longitudes up to 360 accepted) and neither is (almost) zero.
bool Plausible(double latitude, double longitude) {
  if (std::isnan(latitude) || std::isnan(longitude)) return false;
  if (latitude > 90.0 || latitude < -90.0) return false;
  if (longitude > 360.0 || longitude < -180.0) return false;
  return std::fabs(latitude) >= 0.0000001 && std::fabs(longitude) >= 0.0000001;
}

// The log as plainly as it can be read: a header up to the first NUL, then
// frames found by their sync byte; a frame starts with a fresh search for
// the sync byte; a length below 4 is a bad frame of three header bytes; a
// frame cut off inside its payload is a bad frame that ends the log, one cut
// off inside its header just ends it.
FrameCounts Reframe(const uint8_t* data, size_t size) {
  FrameCounts counts;
  const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  if (!nul) return counts;
  size_t at = static_cast<size_t>(nul - data) + 1;
  for (;;) {
    while (at < size && data[at] != 0xA5) ++at;
    if (at >= size) break;
    ++at;
    if (size - at < 3) break;
    const unsigned length = data[at];
    const uint8_t identifier = data[at + 1];
    uint8_t sum = 0xA5 ^ data[at] ^ data[at + 1] ^ data[at + 2];
    at += 3;
    if (length < 4) {
      ++counts.bad;
      continue;
    }
    const size_t payloadLength = length - 4;
    if (size - at < payloadLength) {
      ++counts.bad;
      break;
    }
    // Fields past the payload read as zero.
    uint8_t payload[300] = {};
    std::memcpy(payload, data + at, payloadLength);
    for (size_t i = 0; i < payloadLength; ++i) sum ^= payload[i];
    at += payloadLength;
    if (sum != 0) {
      ++counts.bad;
      continue;
    }
    ++counts.good;
    if (identifier == 1) {
      counts.fixes += Plausible(Field<double>(payload + 5), Field<double>(payload + 13)) ? 1 : 0;
    } else if (identifier == 2) {
      counts.fixes += Plausible(Field<uint32_t>(payload + 5) * 0.0000001 - 210.0,
                                Field<uint32_t>(payload + 9) * 0.0000001 - 210.0) ? 1 : 0;
    }
  }
  return counts;
}

void CheckDocument(const std::string& path) {
  const std::string document = zeltlog::testkit::ReadFile(path);
  std::string error;
  std::vector<std::string> lines;
  Check(zeltlog::testkit::IsWellFormedXml(document, &error), path + " is not well-formed XML: " + error);
  Check(zeltlog::fuzz::SplitCrLfLines(document, lines), path + " has a line end other than CR LF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string log = zeltlog::fuzz::FreshInput("JOB.LOG", data, size);

  zeltlog::testkit::RecordingPlatform platform;
  zeltlog::ConversionSession session(platform, platform, platform);
  session.options.sprayProjection = 0.2;
  const zeltlog::CommandResult outcome = zeltlog::RunLogConversionOn(session, log);

  if (size == 0) {
    Check(!outcome.inputRead && outcome.outputs.written.empty(), "an empty log wrote documents");
    return 0;
  }
  const FrameCounts expected = Reframe(data, size);
  if (expected.fixes == 0) {
    // Nothing to draw: refused before any document is touched.
    Check(!outcome.inputRead && outcome.outputs.written.empty() && outcome.outputs.failed.empty(),
          "a log without a fix was drawn");
    return 0;
  }
  Check(outcome.inputRead, "the log was not read: " + outcome.LastProblem());
  Check(outcome.outputs.failed.empty(), "a document could not be written");
  Check(outcome.outputs.written.size() == 3, "not all three documents were written");
  for (const std::string& path : outcome.outputs.written) CheckDocument(path);

  Check(session.goodRecordCount == expected.good,
        "good frames " + std::to_string(session.goodRecordCount) + ", re-framing finds " + std::to_string(expected.good));

  // The end line is the last summary line.
  const auto summary = platform.LinesOf(zeltlog::EventKind::Summary);
  Check(!summary.empty(), "no summary line");
  const std::string& endLine = summary.back();
  const size_t end = endLine.find(", End:");
  Check(end != std::string::npos, "the last summary line is no end line: " + endLine);
  int fixes = -1, errors = -1;
  const size_t counts = endLine.find(", ", end + 6);
  Check(counts != std::string::npos &&
            std::sscanf(endLine.c_str() + counts, ", %d, records, %d checksum errors", &fixes, &errors) == 2,
        "the end line cannot be read: " + endLine);
  Check(fixes == expected.fixes,
        "end line: " + std::to_string(fixes) + " records, re-framing finds " + std::to_string(expected.fixes) + " fixes");
  Check(errors == expected.bad, "end line: " + std::to_string(errors) + " checksum errors, re-framing finds " +
                                    std::to_string(expected.bad));
  Check(static_cast<int>(platform.LinesOf(zeltlog::EventKind::Progress).size()) == expected.fixes,
        "one progress line per fix drawn");
  return 0;
}
