// The GPS receiver's binary message log through the "BIN1 to KML" command,
// outputs in a scratch folder. Beyond the absence of a crash it checks that
//   - the three KML walls are well-formed XML, every output has CR LF
//     line ends;
//   - the CSV holds one row of 14 fields per BIN1 fix that an independent
//     re-framing of the input finds whole, with a good checksum, a time
//     above 0.1 and a position on the globe, under its header line; each
//     wall holds one coordinate line per such fix; without any such fix
//     nothing is written;
//   - no event line holds a NUL byte.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "converters/bin1_converter.h"
#include "crlf_reframer.h"
#include "fuzz_support.h"
#include "kml/templates.h"
#include "recording_platform.h"
#include "xml_check.h"

namespace {

using zeltlog::fuzz::Check;

size_t LineEnds(std::string_view text) {
  size_t count = 0;
  for (char c : text) count += c == '\n' ? 1 : 0;
  return count;
}

int ExpectedFixes(const uint8_t* data, size_t size) {
  zeltlog::fuzz::CrLfReframer frames(data, size, true);
  int fixes = 0;
  while (frames.Next()) {
    if (frames.StartsWith("$LOG$")) {
      frames.Take(60);  // the header's data block lies outside the framing
    } else if (frames.StartsWith("$PSAT,")) {
      continue;
    } else if (frames.length() == 62 && frames.StartsWith("$BIN") && frames.U16(4) == 1) {
      unsigned sum = 0;
      for (size_t i = 8; i < 60; ++i) sum += frames.bytes()[i];
      if (frames.U16(60) != sum) continue;
      double time;
      std::memcpy(&time, frames.bytes() + 12, sizeof time);
      if (time <= 0.1) continue;
      double latitude, longitude;
      std::memcpy(&latitude, frames.bytes() + 20, sizeof latitude);
      std::memcpy(&longitude, frames.bytes() + 28, sizeof longitude);
      if (!(std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 360.0)) continue;
      ++fixes;
    }
  }
  return fixes;
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  Check(zeltlog::fuzz::SplitCrLfLines(zeltlog::testkit::ReadFile(path), lines), path + ": a line end other than CR LF");
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string log = zeltlog::fuzz::FreshInput("TRACK.BIN", data, size);

  zeltlog::testkit::RecordingPlatform platform;
  zeltlog::ConversionSession session(platform, platform, platform);
  const zeltlog::CommandResult result = zeltlog::ConvertBin1On(session, log);
  if (size == 0) {
    Check(!result.inputRead && result.outputs.written.empty(), "an empty log wrote outputs");
    return 0;
  }
  Check(result.inputRead, "the log was not read: " + result.LastProblem());
  Check(result.outputs.failed.empty(), "an output could not be written");
  for (const auto& line : platform.Lines()) Check(line.find('\0') == std::string::npos, "an entry holds a NUL byte");
  const size_t fixes = static_cast<size_t>(ExpectedFixes(data, size));
  if (fixes == 0) {
    Check(result.outputs.written.empty(), "a log without a fix wrote outputs");
    Check(platform.LinesOf(zeltlog::EventKind::Progress).empty(), "time entries without a fix");
    return 0;
  }
  Check(result.outputs.written.size() == 4, "not all four outputs were written");

  const auto csv = Lines(zeltlog::fuzz::ScratchPath("TRACK.CSV"));
  {
    Check(csv.size() == fixes + 1, "CSV rows " + std::to_string(csv.size() - (csv.empty() ? 0 : 1)) +
                                       ", re-framing finds " + std::to_string(fixes) + " fixes");
    Check(csv[0] + "\n" == zeltlog::kBin1CsvHeader, "the CSV does not start with its header");
    for (size_t i = 1; i < csv.size(); ++i) {
      size_t commas = 0;
      for (char c : csv[i]) commas += c == ',' ? 1 : 0;
      Check(commas == 13, "a CSV row without 14 fields: " + csv[i]);
    }
  }
  const size_t frameLines = LineEnds(zeltlog::kml::kPathDocumentHead) + 1 + LineEnds(zeltlog::kml::kPathLineOpen) +
                            LineEnds(zeltlog::kml::kRelativeCoordinatesOpen) +
                            LineEnds(zeltlog::kml::kPathDocumentTail);
  for (const char* suffix : {"_AGE.KML", "_MODE.KML", "_SATS.KML"}) {
    const std::string path = zeltlog::fuzz::ScratchPath(std::string("TRACK") + suffix);
    std::string error;
    Check(zeltlog::testkit::IsWellFormedXml(zeltlog::testkit::ReadFile(path), &error),
          path + " is not well-formed XML: " + error);
    Check(Lines(path).size() == frameLines + fixes, path + ": not one coordinate line per fix");
  }
  Check(platform.LinesOf(zeltlog::EventKind::Progress).size() == fixes, "not one time entry per fix");
  return 0;
}
