// The KML text of the "KML to JOB" command, job file written to a scratch
// folder. The first input byte chooses include or exclude; the rest is the
// KML. Beyond the absence of a crash it checks that
//   - a refused KML writes no job file; any other gets one with CR LF line
//     ends, its four header lines, then only vertex lines "\t<latitude> <longitude>" with 14 decimals each;
//   - its vertices and the refusal agree with a plain reading that holds
//     each line whole (TABs removed, CR LF taken as LF): the tag tests at
//     the start of a line, the coordinate-block counter, tokens ended by a
//     space or the line's last character, the first two comma fields read
//     as numbers.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "converters/crlf_framer.h"
#include "converters/kml_to_job.h"
#include "core/text_format.h"
#include "fuzz_support.h"
#include "recording_platform.h"
#include "xml_check.h"

namespace {

using zeltlog::fuzz::Check;

enum class Refusal { None, Line, Points };

struct Reading {
  std::vector<std::string> vertices;
  Refusal refusal = Refusal::None;
};

bool Begins(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

void TakeToken(std::string_view token, int& counter, Reading& reading) {
  if (Begins(token, "</coordinates>")) {
    counter = 0;
    return;
  }
  const size_t comma = token.find(',');
  if (comma == std::string_view::npos) return;
  double longitude = 0.0, latitude = 0.0;
  if (!zeltlog::ScanDouble(token.substr(0, comma), longitude)) return;
  std::string_view second = token.substr(comma + 1);
  second = second.substr(0, second.find(','));
  if (!zeltlog::ScanDouble(second, latitude)) return;
  reading.vertices.push_back(zeltlog::Format("\t%3.14lf %3.14lf", {latitude, longitude}));
}

Reading ReadPlainly(std::string_view kml) {
  // Text mode: CR LF becomes LF; every TAB goes.
  std::string text;
  for (size_t i = 0; i < kml.size(); ++i) {
    if (kml[i] == '\r' && i + 1 < kml.size() && kml[i + 1] == '\n') continue;
    if (kml[i] != '\t') text.push_back(kml[i]);
  }
  Reading reading;
  int counter = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string_view line = std::string_view(text).substr(start, end - start);
    start = end;
    if (Begins(line, "<LineString>")) {
      reading.refusal = Refusal::Line;
      return reading;
    }
    if (Begins(line, "<Point>")) {
      reading.refusal = Refusal::Points;
      return reading;
    }
    if (Begins(line, "<coordinates>")) counter = 1;
    if (Begins(line, "</coordinates>")) {
      counter = 0;
      continue;
    }
    if (counter > 0) ++counter;
    if (counter <= 2) continue;
    size_t tokenStart = 0;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == ' ' || i + 1 == line.size()) {
        TakeToken(line.substr(tokenStart, i + 1 - tokenStart), counter, reading);
        tokenStart = i + 1;
      }
    }
  }
  return reading;
}

bool IsFixedNumber(std::string_view text) {
  if (Begins(text, "-")) text.remove_prefix(1);
  if (text == "inf" || text == "nan") return true;
  const size_t point = text.find('.');
  if (point == std::string_view::npos || point == 0 || text.size() - point - 1 != 14) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i != point && (text[i] < '0' || text[i] > '9')) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool exclude = data[0] & 1;
  const std::string_view kml(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string kmlPath = zeltlog::fuzz::FreshInput("AREA.KML", data + 1, size - 1);

  zeltlog::testkit::RecordingPlatform platform;
  zeltlog::ConversionSession session(platform, platform, platform);
  zeltlog::KmlToJobOptions jobOptions;
  session.lastChosenFolder = zeltlog::fuzz::ScratchFolder();
  jobOptions.jobName = "12";
  jobOptions.boundaryKind = exclude ? 1 : 0;
  const zeltlog::CommandResult result = zeltlog::ConvertKmlToJobOn(session, jobOptions, kmlPath);
  Check(result.inputRead, "the KML was not read: " + result.LastProblem());
  Check(result.problems.size() <= 1, "more than one problem with a KML");
  const Reading expected = ReadPlainly(kml);
  // Nothing in the map viewer's layout: the file goes on to GDAL, which may
  // find a polygon (vertex lines, no refusal), or a line, points or nothing
  // (a refusal).
  const bool toGdal = expected.refusal == Refusal::None && expected.vertices.empty();
  std::string_view refusal;
  if (expected.refusal == Refusal::Line) refusal = zeltlog::kKmlIsLineMessage;
  if (expected.refusal == Refusal::Points) refusal = zeltlog::kKmlIsPointsMessage;
  const std::string problem = result.LastProblem();
  // Vertices that are no place on the globe (not a number, beyond the
  // poles, metres read as degrees) are refused whichever reader took them;
  // which ones are is for the field checks' own tests. No job file then.
  if (Begins(problem, zeltlog::kKmlNotOnTheGlobeMessage)) refusal = problem;
  if (toGdal) {
    const bool refused = problem == refusal || problem == zeltlog::kKmlIsLineMessage || problem == zeltlog::kKmlIsPointsMessage ||
                         problem == zeltlog::kKmlHasNoPolygonMessage;
    Check(refused || problem.empty(), "GDAL's reading gave \"" + problem + "\"");
    if (refused) refusal = problem;
  } else {
    Check(problem == refusal, "refusal \"" + problem + "\", the plain reading expects \"" + std::string(refusal) + "\"");
  }
  const std::string jobPath = zeltlog::fuzz::ScratchPath("12");
  if (!refusal.empty()) {
    // A refused KML writes no job file.
    Check(result.outputs.written.empty() && !std::filesystem::exists(jobPath), "a refused KML wrote a job file");
    return 0;
  }
  Check(result.outputs.failed.empty() && result.outputs.written.size() == 1, "the job file was not written");

  std::vector<std::string> lines;
  Check(zeltlog::fuzz::SplitCrLfLines(zeltlog::testkit::ReadFile(jobPath), lines), "a line end other than CR LF");
  Check(lines.size() >= 4, "the job file lacks its header lines");
  Check(lines[0] == ".JOB 12 NONE" && lines[1] == ".VERSION 1" && lines[2] == ".POL 1" &&
            lines[3] == (exclude ? "\tEXC" : "\tINC"),
        "the job file's header lines are wrong");
  for (size_t i = 4; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const size_t space = line.find(' ');
    Check(Begins(line, "\t") && space != std::string_view::npos && IsFixedNumber(line.substr(1, space - 1)) &&
              IsFixedNumber(line.substr(space + 1)),
          "not a vertex line: " + lines[i]);
  }
  const std::vector<std::string> vertices(lines.begin() + 4, lines.end());
  if (toGdal) {
    Check(!vertices.empty(), "GDAL's polygon gave no vertex line");
    return 0;
  }
  Check(vertices == expected.vertices, "job file of " + std::to_string(vertices.size()) +
                                           " vertices, the plain reading finds " +
                                           std::to_string(expected.vertices.size()));
  return 0;
}
