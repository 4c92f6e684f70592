#include "converters/bin1_converter.h"

#include <array>
#include <cmath>

#include "converters/crlf_framer.h"
#include "core/output_file.h"
#include "core/output_names.h"
#include "core/text_format.h"
#include "kml/templates.h"

namespace zeltlog {
namespace {

constexpr size_t kBin1FrameLength = 62;  // without its CR LF
constexpr size_t kLogDataBytes = 60;     // the block after a "$LOG$" header
constexpr int kWallHeightScale = 20;

enum Wall { kAgeWall, kModeWall, kSatsWall, kWallCount };

struct WallFile {
  const char* suffix;
  std::string_view description;
  OutputFile file;
};

class Bin1Run {
 public:
  Bin1Run(ConversionSession& s, SideResult& result) : s_(s), result_(result), framer_(true) {}

  void Run(const std::string& base) {
    const std::string csvPath = base + ".CSV";
    if (!Create(csv_, csvPath)) return;
    for (WallFile& wall : walls_) Create(wall.file, base + wall.suffix);
    s_.firstFixCounter = 1;

    while (framer_.Next(s_.logFile)) HandleFrame();
    if (framer_.held() != 0) result_.inputError = "the log ends inside a frame (truncated)";

    if (!firstFixWritten_) {
      // A log without any fix has nothing to draw: earlier outputs of the
      // same names stay as they are, and nothing new is created.
      csv_.Abandon();
      for (WallFile& wall : walls_) wall.file.Abandon();
      if (result_.inputError.empty()) result_.inputError = "no BIN1 fix found";
      return;
    }
    Close(csv_);
    for (WallFile& wall : walls_) {
      wall.file.Write(kml::kPathDocumentTail);
      Close(wall.file);
    }
  }

 private:
  bool Create(OutputFile& file, const std::string& path) {
    std::string reason;
    if (file.Create(path, OutputFile::Mode::Text, &reason)) return true;
    s_.AddEvent(EventKind::Error, "Cannot create " + path);
    result_.failed.push_back({path, reason});
    return false;
  }

  void Close(OutputFile& file) {
    if (!file.IsOpen()) return;
    const std::string path = file.path();
    std::string reason;
    if (file.Close(&reason)) {
      result_.written.push_back(path);
    } else {
      s_.AddEvent(EventKind::Error, "Cannot write " + path);
      result_.failed.push_back({path, reason});
    }
  }

  void AddCount(EventKind kind) {
    if (!s_.Wants(kind)) return;
    s_.scratch.clear();
    AppendFormat(s_.scratch, "%d", {framer_.byteCount()});
    s_.AddEvent(kind, s_.scratch);
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
      s_.scratch.clear();
      AppendFormat(s_.scratch, "                      %d, %d, %d, %d",
                   {framer_.U16(4), framer_.U16(6), framer_.U16(8), framer_.S32(16)});
      s_.AddEvent(EventKind::Record, s_.scratch);
    }
    // The data block after the header is taken whole, outside the framing.
    std::array<uint8_t, kLogDataBytes> data{};
    const size_t got = s_.logFile.Read(data.data(), data.size());
    if (got < data.size()) result_.inputError = "the log ends inside a header's data block (truncated)";
    if (listed) {
      size_t length = 0;
      while (length < got && data[length] != 0) ++length;
      s_.scratch.assign("Data ");
      s_.scratch.append(reinterpret_cast<const char*>(data.data()), length);
      s_.AddEvent(EventKind::Record, s_.scratch);
    }
  }

  void HandleSentence() {
    // The field after the 25th comma, read up to the first byte that is no
    // printable 7-bit character (the frame's CR at the latest), with the
    // comma that ends it.
    std::string& field = s_.scratch;
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
    if (ScanDouble(field, value)) s_.rstdev = value;
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
      s_.scratch.clear();
      AppendFormat(s_.scratch, "Impossible BIN1 fix skipped: time %3.3lf, latitude %3.8lf, longitude %3.8lf",
                   {time, latitude, longitude});
      s_.AddEvent(EventKind::Error, s_.scratch);
      return;
    }
    WriteFix(time);
  }

  static bool IsPossiblePosition(double latitude, double longitude) {
    // Written so that NaN fails it too.
    return latitude >= -90.0 && latitude <= 90.0 && longitude >= -360.0 && longitude <= 360.0;
  }

  void WriteWallHead(WallFile& wall) {
    wall.file.Write(kml::kPathDocumentHead);
    wall.file.Write(wall.description);
    wall.file.Write(kml::kPathLineOpen);
    wall.file.Write(kml::kRelativeCoordinatesOpen);
  }

  void WriteFix(double time) {
    const double latitude = framer_.F64(20);
    const double longitude = framer_.F64(28);
    const int satellites = framer_.data()[9];
    const int mode = framer_.U16(56);
    const int age = framer_.U16(58);

    if (!firstFixWritten_) {
      firstFixWritten_ = true;
      for (WallFile& wall : walls_) WriteWallHead(wall);
      if (s_.firstFixCounter == 1) {
        // The zone of the run's first fix holds for the whole run.
        s_.projector.SelectEllipsoids(UtmProjector::kWgs84Index);
        s_.projector.SetZoneFromLongitude(longitude);
        s_.projector.ComputeGridScales(latitude, longitude, UtmProjector::kWgs84Index,
                                       s_.track.metresPerDegreeLatitude, s_.track.metresPerDegreeLongitude);
        s_.firstFixCounter = 4;
      }
      csv_.Write(kBin1CsvHeader);
    }

    const int heights[kWallCount] = {age * kWallHeightScale, mode * kWallHeightScale, satellites * kWallHeightScale};
    for (int i = 0; i < kWallCount; ++i) {
      s_.scratch.clear();
      AppendFormatted<"%8.8lf,%8.8lf,%d\n">(s_.scratch, {longitude, latitude, heights[i]});
      walls_[static_cast<size_t>(i)].file.Write(s_.scratch);
    }
    if (s_.Wants(EventKind::Progress)) {
      s_.scratch.clear();
      AppendFormatted<"%3.3lf">(s_.scratch, {time});
      s_.AddEvent(EventKind::Progress, s_.scratch);
    }

    s_.projector.Project(latitude, longitude, s_.projector.centralMeridian(), 1);
    const double ySpeed = framer_.F32(40);
    const double xSpeed = framer_.F32(44);
    const double speed = std::sqrt(ySpeed * ySpeed + xSpeed * xSpeed);
    s_.scratch.clear();
    AppendFormatted<"%3.3lf,%10.9lf,%10.9lf,%8.4lf,%8.4lf,%3.3lf, %5.5lf, %5.5lf,%5.5lf,  %d,%d,%d,%2.3lf,%2.3lf\n">(
        s_.scratch, {time, longitude, latitude, s_.projector.easting(), s_.projector.northing(), framer_.F32(36), xSpeed,
                  ySpeed, speed, age, mode, satellites, framer_.F32(52), s_.rstdev});
    csv_.Write(s_.scratch);
  }

  ConversionSession& s_;
  SideResult& result_;
  CrLfFramer framer_;
  OutputFile csv_;
  std::array<WallFile, kWallCount> walls_{{{"_AGE.KML", "<description>GPS Age</description>\n", {}},
                                           {"_MODE.KML", "<description>GPS Mode</description>\n", {}},
                                           {"_SATS.KML", "<description>GPS Sats</description>\n", {}}}};
  bool firstFixWritten_ = false;
};

}  // namespace

SideResult ConvertBin1(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kBin1FileFilter, "");
  if (!chosen) return {};
  return ConvertBin1On(s, *chosen);
}

SideResult ConvertBin1On(ConversionSession& s, const std::string& path) {
  SideResult result;
  result.chosen = true;
  std::string reason;
  if (!s.logFile.Open(path, &reason)) {
    result.inputError = reason;
  } else if (s.logFile.Size() == 0) {
    // Nothing to convert; earlier outputs of this log stay as they are.
    s.logFile.Close();
    result.inputError = "the file is empty";
  } else {
    const std::string base = OutputBase(path);
    s.logPath = base + ".CSV";
    result.inputRead = true;
    if (s.lineOutput == 1) {
      Bin1Run run(s, result);
      run.Run(base);
      if (s.logFile.Failed()) result.inputError = "read error";
    }
    s.logFile.Close();
  }
  s.platform.RefreshFields(s);
  return result;
}

}  // namespace zeltlog
