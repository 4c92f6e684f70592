#include "converters/bin1_converter.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

#include "converters/crlf_framer.h"
#include "core/batch_worker.h"
#include "core/disk_text.h"
#include "core/fixed_point.h"
#include "core/output_names.h"
#include "core/output_set.h"
#include "core/text_format.h"
#include "geodesy/utm_projector.h"
#include "kml/templates.h"

namespace zeltlog {
namespace {

constexpr size_t kBin1FrameLength = 62;  // without its CR LF
constexpr size_t kLogDataBytes = 60;     // the block after a "$LOG$" header
constexpr int kWallHeightScale = 20;

enum Wall { kAgeWall, kModeWall, kSatsWall, kWallCount };

// One fix's line of the table and its points on the walls.
struct Bin1Row {
  double time, longitude, latitude, easting, northing, altitude, xSpeed, ySpeed, speed, deviation, rstdev;
  uint32_t age, mode, satellites;
  // The walls' "lon,lat," text, formatted by the thread that decodes (the
  // table's writer is the busier of the two). A fix's coordinates within
  // the globe always fit (27 characters at most); should one not, it is
  // left empty and formatted with the table.
  uint8_t pointSize;
  char point[31];
};

// Writes the walls' "%8.8lf,%8.8lf," of a point at `out`; room for
// 2 * kFixedTextLimit + 2 characters.
char* WritePointText(char* out, double longitude, double latitude) {
  out = WriteFixed<8>(out, longitude, 8);
  *out++ = ',';
  out = WriteFixed<8>(out, latitude, 8);
  *out++ = ',';
  return out;
}

constexpr auto kCommaSpace = OnDisk(", ");
constexpr auto kCommaTwoSpaces = OnDisk(",  ");
constexpr auto kLineEnd = OnDisk("\n");

struct WallFile {
  const char* suffix;
  std::string_view description;
  OutputFile* file;
};

class Bin1Run {
 public:
  Bin1Run(ConversionSession& s, CommandResult& result, ByteReader& log)
      : s_(s), result_(result), log_(log), framer_(true), outputs_(s.events) {}

  void Run(const std::string& base) {
    csv_ = outputs_.Create(base + ".CSV");
    if (csv_) {
      for (WallFile& wall : walls_) {
        wall.file = outputs_.Create(base + wall.suffix);
        anyWall_ = anyWall_ || wall.file;
      }
      while (framer_.Next(log_)) HandleFrame();
      if (framer_.held() != 0) problem_ = "the log ends inside a frame (truncated)";

      if (rows_) rows_->Finish();
      if (!firstFixWritten_) {
        // A log without any fix has nothing to draw: earlier outputs of the
        // same names stay as they are, and nothing new is created.
        outputs_.AbandonAll();
        if (problem_.empty()) problem_ = "no BIN1 fix found";
      } else {
        outputs_.Commit(csv_);
        for (WallFile& wall : walls_) {
          if (wall.file) wall.file->Write(kml::kPathDocumentTail);
          outputs_.Commit(wall.file);
        }
      }
    }
    if (!problem_.empty()) result_.problems.push_back(problem_);
    result_.outputs = outputs_.report();
  }

 private:

  void AddCount(EventKind kind) {
    if (!s_.Wants(kind)) return;
    line_.clear();
    AppendFormat(line_, "%d", {framer_.byteCount()});
    s_.AddEvent(kind, line_);
  }

  void HandleFrame() {
    if (framer_.StartsWith("$LOG$")) {
      HandleLogHeader();
    } else if (framer_.StartsWith("$PSAT,")) {
      HandleSentence();
    } else if (framer_.length() == kBin1FrameLength && framer_.StartsWith("$BIN") && framer_.U16(4) == 1) {
      HandleFix();
    }
  }

  void HandleLogHeader() {
    const bool listed = s_.Wants(EventKind::Record);
    if (listed) {
      AddCount(EventKind::Record);
      // The header's text ends at its first NUL, as any listed text does.
      const std::string_view text = framer_.text();
      s_.AddEvent(EventKind::Record, text.substr(0, text.find('\0')));
      line_.clear();
      AppendFormat(line_, "                      %d, %d, %d, %d",
                   {framer_.U16(4), framer_.U16(6), framer_.U16(8), framer_.S32(16)});
      s_.AddEvent(EventKind::Record, line_);
    }
    // The data block after the header is taken whole, outside the framing.
    std::array<uint8_t, kLogDataBytes> data{};
    const size_t got = log_.Read(data.data(), data.size());
    if (got < data.size()) problem_ = "the log ends inside a header's data block (truncated)";
    if (listed) {
      size_t length = 0;
      while (length < got && data[length] != 0) ++length;
      line_.assign("Data ");
      line_.append(reinterpret_cast<const char*>(data.data()), length);
      s_.AddEvent(EventKind::Record, line_);
    }
  }

  void HandleSentence() {
    // The field after the 25th comma, read up to the first byte that is no
    // printable 7-bit character (the frame's CR at the latest), with the
    // comma that ends it.
    std::string& field = line_;
    field.clear();
    int commas = 0;
    const uint8_t* bytes = framer_.data();
    for (size_t i = 0; i < CrLfFramer::kBufferSize; ++i) {
      const uint8_t c = bytes[i];
      if (c < 16 || c >= 128) break;
      if (commas == 25) field.push_back(static_cast<char>(c));
      if (c == ',') ++commas;
    }
    if (!field.empty()) field.pop_back();
    double value = 0.0;
    if (ScanDouble(field, value)) rstdev_ = value;
    s_.AddEvent(EventKind::Record, field);
  }

  void HandleFix() {
    if (s_.Wants(EventKind::Record)) {
      s_.AddEvent(EventKind::Record, "BIN1");
      AddCount(EventKind::Record);
    }
    unsigned sum = 0;
    const uint8_t* bytes = framer_.data();
    for (size_t i = 8; i < 60; ++i) sum += bytes[i];
    if (framer_.U16(60) != sum) return;
    const double time = framer_.F64(12);
    if (time <= 0.1) return;
    const double latitude = framer_.F64(20);
    const double longitude = framer_.F64(28);
    if (!IsPossiblePosition(latitude, longitude)) {
      // A good checksum over impossible coordinates: a receiver fault,
      // listed and kept out of the table and the walls.
      line_.clear();
      AppendFormat(line_, "Impossible BIN1 fix skipped: time %3.3lf, latitude %3.8lf, longitude %3.8lf",
                   {time, latitude, longitude});
      s_.AddEvent(EventKind::Error, line_);
      return;
    }
    WriteFix(time);
  }

  static bool IsPossiblePosition(double latitude, double longitude) {
    // Written so that NaN fails it too.
    return latitude >= -90.0 && latitude <= 90.0 && longitude >= -360.0 && longitude <= 360.0;
  }

  void WriteWallHead(WallFile& wall) {
    if (!wall.file) return;
    wall.file->Write(kml::kPathDocumentHead);
    wall.file->Write(wall.description);
    wall.file->Write(kml::kPathLineOpen);
    wall.file->Write(kml::kRelativeCoordinatesOpen);
  }

  void WriteFix(double time) {
    Bin1Row row;
    row.time = time;
    row.latitude = framer_.F64(20);
    row.longitude = framer_.F64(28);
    // Satellites are a byte, age and mode 16-bit fields: never negative.
    row.satellites = framer_.data()[9];
    row.mode = framer_.U16(56);
    row.age = framer_.U16(58);

    if (!firstFixWritten_) {
      firstFixWritten_ = true;
      for (WallFile& wall : walls_) WriteWallHead(wall);
      // The zone of the run's first fix holds for the whole run.
      projector_.emplace(row.longitude);
      csv_->Write(kBin1CsvHeader);
      // From here on the table and the walls are written on a thread of
      // their own, row by row in the order of the fixes.
      rows_ = std::make_unique<BatchWorker<Bin1Row>>([this](const Bin1Row& r) { WriteRow(r); });
    }
    if (s_.Wants(EventKind::Progress)) {
      line_.clear();
      AppendFormatted<"%3.3lf">(line_, {time});
      s_.AddEvent(EventKind::Progress, line_);
    }

    const GridPoint grid = projector_->Project(row.latitude, row.longitude);
    row.easting = grid.easting;
    row.northing = grid.northing;
    row.altitude = framer_.F32(36);
    row.ySpeed = framer_.F32(40);
    row.xSpeed = framer_.F32(44);
    row.speed = std::sqrt(row.ySpeed * row.ySpeed + row.xSpeed * row.xSpeed);
    row.deviation = framer_.F32(52);
    row.rstdev = rstdev_;
    row.pointSize = 0;
    if (anyWall_) {
      char point[2 * kFixedTextLimit + 2];
      const auto size = static_cast<size_t>(WritePointText(point, row.longitude, row.latitude) - point);
      if (size <= sizeof row.point) {
        std::memcpy(row.point, point, sizeof row.point);
        row.pointSize = static_cast<uint8_t>(size);
      }
    }
    rows_->Add(row);
  }

  void WriteRow(const Bin1Row& r) {
    // "%8.8lf,%8.8lf,%d\n": the same point on every wall, at its own height.
    char pointText[2 * kFixedTextLimit + 2];
    const char* point = r.point;
    size_t pointSize = r.pointSize;
    if (pointSize == 0 && anyWall_) {
      point = pointText;
      pointSize = static_cast<size_t>(WritePointText(pointText, r.longitude, r.latitude) - pointText);
    }
    const uint32_t heights[kWallCount] = {r.age * kWallHeightScale, r.mode * kWallHeightScale,
                                          r.satellites * kWallHeightScale};
    for (int i = 0; i < kWallCount; ++i) {
      OutputFile* wall = walls_[static_cast<size_t>(i)].file;
      if (!wall) continue;
      char* at = wall->Room(pointSize + 12);
      std::memcpy(at, point, pointSize);
      at = WriteUnsigned(at + pointSize, heights[i]);
      wall->Advance(Put(at, kLineEnd));
    }

    // "%3.3lf,%10.9lf,%10.9lf,%8.4lf,%8.4lf,%3.3lf, %5.5lf, %5.5lf,%5.5lf,  %d,%d,%d,%2.3lf,%2.3lf\n"
    char* at = csv_->Room(9 * kFixedTextLimit + 3 * 10 + 20);
    at = WriteFixed<3>(at, r.time, 3);
    *at++ = ',';
    at = WriteFixed<9>(at, r.longitude, 10);
    *at++ = ',';
    at = WriteFixed<9>(at, r.latitude, 10);
    *at++ = ',';
    at = WriteFixed<4>(at, r.easting, 8);
    *at++ = ',';
    at = WriteFixed<4>(at, r.northing, 8);
    *at++ = ',';
    at = WriteFixed<3>(at, r.altitude, 3);
    at = Put(at, kCommaSpace);
    at = WriteFixed<5>(at, r.xSpeed, 5);
    at = Put(at, kCommaSpace);
    at = WriteFixed<5>(at, r.ySpeed, 5);
    *at++ = ',';
    at = WriteFixed<5>(at, r.speed, 5);
    at = Put(at, kCommaTwoSpaces);
    at = WriteUnsigned(at, r.age);
    *at++ = ',';
    at = WriteUnsigned(at, r.mode);
    *at++ = ',';
    at = WriteUnsigned(at, r.satellites);
    *at++ = ',';
    at = WriteFixed<3>(at, r.deviation, 2);
    *at++ = ',';
    at = WriteFixed<3>(at, r.rstdev, 2);
    at = Put(at, kLineEnd);
    csv_->Advance(at);
  }

  ConversionSession& s_;
  CommandResult& result_;
  ByteReader& log_;
  CrLfFramer framer_;
  OutputSet outputs_;
  OutputFile* csv_ = nullptr;
  std::optional<UtmProjector> projector_;  // of the first fix's zone
  double rstdev_ = 0.0;  // of the last "$PSAT," sentence
  std::string line_;
  std::string problem_;
  std::array<WallFile, kWallCount> walls_{{{"_AGE.KML", "<description>GPS Age</description>\n", nullptr},
                                           {"_MODE.KML", "<description>GPS Mode</description>\n", nullptr},
                                           {"_SATS.KML", "<description>GPS Sats</description>\n", nullptr}}};
  bool anyWall_ = false;
  bool firstFixWritten_ = false;
  // Declared last: its thread ends before the files it writes go.
  std::unique_ptr<BatchWorker<Bin1Row>> rows_;
};

}  // namespace

CommandResult ConvertBin1(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kBin1FileFilter, "");
  if (!chosen) return {};
  return ConvertBin1On(s, *chosen);
}

CommandResult ConvertBin1On(ConversionSession& s, const std::string& path) {
  CommandResult result;
  result.chosen = true;
  ByteReader log;
  std::string reason;
  if (!log.Open(path, &reason)) {
    result.Unreadable(reason);
  } else if (log.Size() == 0) {
    // Nothing to convert; earlier outputs of this log stay as they are.
    result.Unreadable("the file is empty");
  } else {
    result.inputRead = true;
    if (s.options.lineOutput) {
      Bin1Run run(s, result, log);
      run.Run(OutputBase(path));
      if (log.Failed()) result.problems.push_back("read error");
    }
  }
  return result;
}

}  // namespace zeltlog
