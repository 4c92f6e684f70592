#include "converters/kml_to_job.h"

#include <charconv>
#include <cmath>

#include "converters/crlf_framer.h"
#ifdef ZELTLOG_WITH_ANALYSIS
#include "converters/kml_to_job_gis.h"
#endif
#include "core/byte_reader.h"
#include "core/output_file.h"
#include "core/output_names.h"
#include "core/text_format.h"

namespace zeltlog {
namespace {

constexpr std::string_view kLineStringTag = "<LineString>";
constexpr std::string_view kPointTag = "<Point>";
constexpr std::string_view kCoordinatesTag = "<coordinates>";
constexpr std::string_view kCoordinatesEndTag = "</coordinates>";
constexpr std::string_view kOuterBoundaryTag = "<outerBoundary";
constexpr std::string_view kInnerBoundaryTag = "<innerBoundary";
// Every tag that decides how a line is taken fits in this many characters.
constexpr size_t kDecidingLength = 14;
// A token is a coordinate tuple; only its first two fields are read, so
// the rest of a longer run of characters is not kept.
constexpr size_t kTokenLimit = 4096;

enum class Refusal { None, Line, Points };

// Takes the KML one character at a time, with TABs already removed and
// line ends as "\n", and gives every tuple it finds to the taker, each
// coordinates block opening a ring. Lines are never held whole: only the
// first characters that decide what a line is, and the current token.
class CoordinateScanner {
 public:
  explicit CoordinateScanner(KmlVertexTaker& taker) : taker_(taker) {
    start_.reserve(kDecidingLength);
    token_.reserve(64);
  }

  // False once the KML is refused.
  bool Take(char c) {
    if (!decided_) {
      start_.push_back(c);
      if (start_.size() < kDecidingLength && c != '\n') return true;
      if (!Decide()) return false;
    } else if (takingTuples_) {
      TokenCharacter(c);
    }
    if (c == '\n') EndLine();
    return true;
  }

  // The end of the file ends its last line, with or without a line end.
  bool Finish() {
    if (!decided_ && !start_.empty() && !Decide()) return false;
    if (takingTuples_ && !token_.empty()) EndToken();
    EndLine();
    return true;
  }

  Refusal refusal() const { return refusal_; }
  int vertices() const { return vertices_; }

 private:
  static bool Begins(std::string_view line, std::string_view tag) { return line.substr(0, tag.size()) == tag; }

  bool Decide() {
    decided_ = true;
    if (Begins(start_, kLineStringTag)) {
      refusal_ = Refusal::Line;
      return false;
    }
    if (Begins(start_, kPointTag)) {
      refusal_ = Refusal::Points;
      return false;
    }
    if (Begins(start_, kOuterBoundaryTag)) hole_ = false;
    if (Begins(start_, kInnerBoundaryTag)) hole_ = true;
    if (Begins(start_, kCoordinatesTag)) {
      blockCounter_ = 1;
      taker_.Ring(hole_);
    }
    if (Begins(start_, kCoordinatesEndTag)) {
      blockCounter_ = 0;
      return true;
    }
    if (blockCounter_ > 0) ++blockCounter_;
    // The line that opens a block raises the counter only to 2, so text on
    // the same line as the opening tag is never read.
    takingTuples_ = blockCounter_ > 2;
    if (takingTuples_) {
      // The deciding characters are the start of the line's first token.
      const std::string held = start_;
      for (char c : held) TokenCharacter(c);
    }
    return true;
  }

  void EndLine() {
    decided_ = false;
    takingTuples_ = false;
    start_.clear();
    token_.clear();
  }

  // A token ends at a space, which belongs to it, or at the line's last
  // character, which belongs to it too.
  void TokenCharacter(char c) {
    if (token_.size() < kTokenLimit) token_.push_back(c);
    if (c == ' ' || c == '\n') EndToken();
  }

  void EndToken() {
    if (Begins(token_, kCoordinatesEndTag)) {
      // The block ends; the rest of the line is still walked.
      blockCounter_ = 0;
    } else {
      const std::string_view token = token_;
      const size_t comma = token.find(',');
      double longitude = 0.0, latitude = 0.0;
      if (comma != std::string_view::npos && ScanDouble(token.substr(0, comma), longitude)) {
        std::string_view second = token.substr(comma + 1);
        second = second.substr(0, second.find(','));
        if (ScanDouble(second, latitude)) WriteVertex(latitude, longitude);
      }
    }
    token_.clear();
  }

  void WriteVertex(double latitude, double longitude) {
    taker_.Vertex(latitude, longitude);
    ++vertices_;
  }

  KmlVertexTaker& taker_;
  std::string start_;
  std::string token_;
  bool decided_ = false;
  bool takingTuples_ = false;
  int blockCounter_ = 0;
  bool hole_ = false;
  int vertices_ = 0;
  Refusal refusal_ = Refusal::None;
};

// Why a vertex is no place on the globe (not a number, or not degrees:
// projected metres), or empty when it is one.
std::string VertexProblem(double latitude, double longitude) {
  const bool numbers = std::isfinite(latitude) && std::isfinite(longitude);
  if (numbers && std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 360.0) return {};
  auto text = [](double value) {
    if (!std::isfinite(value)) return std::string(std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf");
    char buffer[64];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10).ptr);
  };
  return std::string(numbers ? "coordinates are not degrees" : "a vertex is not a place on the globe") +
         " (longitude " + text(longitude) + ", latitude " + text(latitude) + ")";
}

// The vertex lines of a job file, each also listed as it stands there.
class JobVertexLines : public KmlVertexTaker {
 public:
  JobVertexLines(ConversionSession& s, OutputFile& job) : s_(s), job_(job) {}
  void Ring(bool) override {}
  void Vertex(double latitude, double longitude) override {
    if (problem_.empty()) problem_ = VertexProblem(latitude, longitude);
    line_.clear();
    AppendFormat(line_, "\t%3.14lf %3.14lf\n", {latitude, longitude});
    job_.Write(line_);
    s_.AddEvent(EventKind::Summary, line_);
  }

  // The first vertex that is no place on the globe, if any.
  const std::string& problem() const { return problem_; }

 private:
  ConversionSession& s_;
  OutputFile& job_;
  std::string line_;
  std::string problem_;
};

// The KML is taken as a text-mode reader takes it: CR LF becomes LF.
void Scan(ByteReader& kml, CoordinateScanner& scanner) {
  bool refused = false;
  bool pendingCarriageReturn = false;
  for (int byte = kml.ReadByte(); byte >= 0 && !refused; byte = kml.ReadByte()) {
    if (pendingCarriageReturn) {
      pendingCarriageReturn = false;
      if (byte != '\n' && !scanner.Take('\r')) {
        refused = true;
        break;
      }
    }
    if (byte == '\r') {
      pendingCarriageReturn = true;
    } else if (byte != '\t') {
      refused = !scanner.Take(static_cast<char>(byte));
    }
  }
  if (!refused && pendingCarriageReturn) refused = !scanner.Take('\r');
  if (!refused) scanner.Finish();
}

bool IsWholeNumber(std::string_view text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  int parsed = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    parsed = parsed * 10 + (c - '0');
  }
  value = parsed;
  return true;
}

// Closes the job file; a write that failed is reported.
void CloseJob(ConversionSession& s, OutputFile& job, CommandResult& result) {
  const std::string path = job.path();
  std::string reason;
  if (job.Close(&reason)) {
    result.outputs.written.push_back(path);
  } else {
    s.AddEvent(EventKind::Error, "Cannot write " + path);
    result.outputs.failed.push_back({path, reason});
  }
}

}  // namespace

std::string ScanKmlCoordinates(const std::string& path, KmlVertexTaker& taker) {
  ByteReader kml;
  std::string reason;
  if (!kml.Open(path, &reason)) return reason;
  CoordinateScanner scanner(taker);
  Scan(kml, scanner);
  if (kml.Failed()) return "read error";
  if (scanner.refusal() == Refusal::Line) return "it is a line, not a polygon";
  if (scanner.refusal() == Refusal::Points) return "it is a series of points, not a polygon";
  return {};
}

std::string JobOptionsProblem(const KmlToJobOptions& o) {
  if (o.jobName.size() > kMaxJobNameLength) return "the job name has more than 20 characters";
  if (o.jobNumber < kMinJobNumber || o.jobNumber > kMaxJobNumber) return "the job number is not between 1 and 999";
  return {};
}

int JobLineNumber(const KmlToJobOptions& o) {
  int number = 0;
  if (IsWholeNumber(o.jobName, number) && number >= kMinJobNumber && number <= kMaxJobNumber) return number;
  return o.jobNumber;
}

std::string JobFileNameProblem(std::string_view name) {
  if (name.empty()) return "the job name is empty";
  for (char c : name) {
    if (c == '/' || c == '\\') return "the job name holds a path separator";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "the job name holds a control character";
  }
  if (name == "." || name == "..") return "the job name is a folder's name";
  return {};
}

CommandResult ConvertKmlToJob(ConversionSession& s, const KmlToJobOptions& o) {
  const auto chosen = ChooseFileAndRememberFolder(s, kKmlToJobFilter, "KML");
  if (!chosen) return {};
  return ConvertKmlToJobOn(s, o, *chosen);
}

CommandResult ConvertKmlToJobOn(ConversionSession& s, const KmlToJobOptions& o, const std::string& kmlPath) {
  CommandResult result;
  result.chosen = true;
  s.events.ClearEvents();

  ByteReader kml;
  std::string reason;
  if (!kml.Open(kmlPath, &reason)) {
    result.Unreadable(reason);
    return result;
  }
  s.desktop.ShowMessage(o.jobName);

  // The job file is named by the job name as typed, without an extension.
  const std::string jobPath = JoinPath(s.lastChosenFolder, o.jobName);
  OutputFile job;
  const std::string nameProblem = JobFileNameProblem(o.jobName);
  reason = nameProblem;
  if (!nameProblem.empty() || !job.Create(jobPath, OutputFile::Mode::Text, &reason)) {
    kml.Close();
    s.AddEvent(EventKind::Summary, "JOB FILE CLOSED");
    const std::string message = "The job file \"" + o.jobName + "\" cannot be created: " + reason;
    s.desktop.ShowMessage(message);
    result.inputRead = true;
    if (nameProblem.empty()) {
      result.outputs.failed.push_back({jobPath, reason});
    } else {
      result.problems.push_back(message);
    }
    return result;
  }

  std::string jobLine;
  AppendFormat(jobLine, ".JOB %d NONE\n", {JobLineNumber(o)});
  job.Write(jobLine);
  job.Write(".VERSION 1\n.POL 1\n");
  s.AddEvent(EventKind::Summary, jobLine);
  s.AddEvent(EventKind::Summary, ".VERSION 1");
  s.AddEvent(EventKind::Summary, ".POL 1");
  const bool exclude = o.boundaryKind == 1;
  job.Write(exclude ? "\tEXC\n" : "\tINC\n");
  s.AddEvent(EventKind::Summary, exclude ? "EXC" : "INC");

  JobVertexLines lines(s, job);
  CoordinateScanner scanner(lines);
  Scan(kml, scanner);
  result.inputRead = true;
  if (kml.Failed()) result.problems.push_back("read error");
  kml.Close();

  std::string_view refusal;
  std::string notOnTheGlobe;
  if (!lines.problem().empty()) {
    notOnTheGlobe = std::string(kKmlNotOnTheGlobeMessage) + lines.problem() + ".  No job file written.";
    refusal = notOnTheGlobe;
  } else if (scanner.refusal() == Refusal::Line) {
    refusal = kKmlIsLineMessage;
  } else if (scanner.refusal() == Refusal::Points) {
    refusal = kKmlIsPointsMessage;
  } else if (scanner.vertices() == 0) {
    // Not a polygon in the map viewer's layout; it may still be one in a
    // file that GDAL reads. A job file without a boundary is no job file:
    // say so rather than reporting it closed.
#ifdef ZELTLOG_WITH_ANALYSIS
    std::string why;
    switch (WriteJobVerticesFromGisFile(s, job, kmlPath, why)) {
      case GisPolygonOutcome::Vertices: break;
      case GisPolygonOutcome::Lines: refusal = kKmlIsLineMessage; break;
      case GisPolygonOutcome::Points: refusal = kKmlIsPointsMessage; break;
      case GisPolygonOutcome::Nothing: refusal = kKmlHasNoPolygonMessage; break;
      case GisPolygonOutcome::Refused:
        notOnTheGlobe = std::string(kKmlNotOnTheGlobeMessage) + why + ".  No job file written.";
        refusal = notOnTheGlobe;
        break;
    }
#else
    refusal = kKmlHasNoPolygonMessage;
#endif
  }
  if (!refusal.empty()) {
    s.desktop.ShowMessage(refusal);
    job.Abandon();
    result.problems.emplace_back(refusal);
    return result;
  }
  CloseJob(s, job, result);
  s.AddEvent(EventKind::Summary, "JOB FILE CLOSED");
  return result;
}

}  // namespace zeltlog
