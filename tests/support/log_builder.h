// Builders of guidance logs, GPS binary message logs and controller logs,
// byte for byte, for the tests, the example log, the benchmark and the fuzz
// seeds. A guidance-log frame's fourth header byte is used as its check
// byte, so that the whole frame XORs to zero.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zeltlog::testkit {

using Bytes = std::vector<uint8_t>;

// Date and time as the consoles pack them into five bytes.
struct Timestamp {
  int year = 2012, month = 11, day = 12, hour = 12, minute = 9, second = 11, hundredths = 0;
  static Timestamp FromTimeOfDay(double seconds, int year = 2012, int month = 11, int day = 12);
};
void AppendTimestamp(Bytes& out, const Timestamp& t);

// Little-endian payload writer.
class Payload {
 public:
  Payload& U8(unsigned v);
  Payload& U16(unsigned v);
  Payload& S16(int v);
  Payload& U32(uint32_t v);
  Payload& S32(int32_t v);
  Payload& F32(float v);
  Payload& F64(double v);
  Payload& Time(const Timestamp& t);
  // Exactly `width` bytes: the text, then zeros.
  Payload& Text(std::string_view text, size_t width);
  // The text and its terminating zero.
  Payload& CText(std::string_view text);
  Payload& Zeros(size_t count);
  Payload& Raw(std::string_view bytes);
  const Bytes& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  Bytes bytes_;
};

// Record payloads of the guidance log.
struct Fix {
  Timestamp time;
  double latitude = 0.0, longitude = 0.0;
  float altitude = 0.0f, speed = 0.0f, heading = 0.0f;
  unsigned spray = 0;
};
Payload Position1(const Fix& fix);
Payload Position2(const Fix& fix);
// The fix `i` of a pass north on `longitude` at 5 m/s, 50 m high, a metre
// apart from 34.25 S at 08:20:00 on 12 November 2012.
Payload PassFix(int i, double longitude, unsigned spray = 1);
Payload Sections(unsigned count, int leftCm, int rightCm);
Payload SwathWidth(float width);
Payload DesiredFlow(float flow, unsigned status);
Payload TargetRate(unsigned channel, unsigned units, float rate);
Payload ActualRate(unsigned channels, unsigned units, float rate);
Payload FlowStatus(unsigned status, float tank, int valveCal, float meterCal, float rate, float flow);
Payload PrescriptionMap(std::string_view name);
Payload Mark(unsigned type, double latitude, double longitude, float altitude, std::string_view name);
Payload HeightSensor(float reading);
Payload ShortValue(int value);
Payload SystemVersions(std::string_view system, std::string_view cpu, std::string_view gps, std::string_view dif);
struct JobSummary {
  Timestamp created, updated;
  std::string appVersion = "APP 3.10";
  float machineArea = 0, overlapArea = 0, skipArea = 0, appliedEst = 0, perimeter = 0, appliedCalc = 0;
  int timeZone = 0;
  float machineWidth = 24.0f, overlapWidth = 0.5f, offset = 0.0f;
  double maxLat = 0, minLat = 0, minLon = 0, maxLon = 0;
};
Payload JobSummaryRecord(const JobSummary& job);
struct FarmInfo {
  std::string farm, field, operatorName, machine, operation, crop, windSpeed, windDir, temperature, humidity;
};
Payload FarmRecord(const FarmInfo& info);
Payload JobNotes1(std::string_view text);
Payload JobNotes2(unsigned sequence, std::string_view text);
Payload TextMessage(std::string_view text);

class LogBuilder {
 public:
  // Starts with the header text and its NUL.
  explicit LogBuilder(std::string_view header = "ZELT GUIDANCE V4.20");
  // A good frame: the fourth header byte makes the frame XOR to zero.
  LogBuilder& Frame(uint8_t identifier, const Payload& payload);
  LogBuilder& Frame(uint8_t identifier, const Bytes& payload);
  // A frame with a chosen fourth byte whose XOR is `residual` (0 = good);
  // the last payload byte is adjusted to get there.
  LogBuilder& FrameWithResidual(uint8_t identifier, Bytes payload, uint8_t fourth, uint8_t residual);
  // Bytes exactly as given.
  LogBuilder& Raw(const Bytes& bytes);
  LogBuilder& Raw(std::string_view bytes);
  const Bytes& bytes() const { return bytes_; }
  std::string str() const { return std::string(bytes_.begin(), bytes_.end()); }

 private:
  Bytes bytes_;
};

// GPS receiver binary message log: a BIN1 fix frame of 64 bytes.
struct Bin1Fix {
  unsigned satellites = 9;
  double time = 100.5;
  double latitude = 45.0, longitude = 9.0;
  float altitude = 120.0f, ySpeed = 3.0f, xSpeed = 4.0f, stdev = 0.25f;
  unsigned mode = 2, age = 7;
};
// With `goodChecksum` false the checksum is off by one.
Bytes Bin1Frame(const Bin1Fix& fix, bool goodChecksum = true);
// A "$LOG$" header frame of the GPS message log and the 60 bytes after it.
Bytes GpsLogHeader(unsigned sixthByte, unsigned b, unsigned c, int32_t d, std::string_view data60);

// Controller log: a "$LOG" block header frame and its data block.
Bytes ControllerBlock(unsigned a, unsigned b, unsigned type, int32_t d, const Bytes& data, size_t statedLength);

// A realistic spraying job for the example log and the benchmark: fixes at
// 5 per second in back-and-forth runs with turns, the sprayer on along the
// runs, a rate and a flow-status record every second, marks now and then,
// and every record kind the console writes.
struct JobOptions {
  size_t fixes = 5000;
  size_t markEvery = 1000;
  bool withDefects = true;  // a bad checksum and garbage between frames
  uint32_t seed = 7;
  // Share of each run sprayed (the rest passes over ground already done).
  double sprayedShareOfRun = 1.0;
  // How far the field lies east and north of the example job's, in metres.
  double eastM = 0.0, northM = 0.0;
};
Bytes BuildSprayJob(const JobOptions& options);

// Inputs that the fuzz seeds and the Windows build's tests share: one frame
// of every record kind, a frame whose checksum fails and stray bytes; a
// GPS message log's header and a $PSAT sentence; four controller blocks
// (types 1 and 2 of `size` bytes, an empty one, one cut short); a polygon
// as a map viewer saves it, CR LF line ends.
Bytes EveryRecordLog();
std::string GpsLogStart();
std::string ControllerBlocks(size_t size);
std::string ViewerPolygonKml();

// Writes FOLDER/NAME, making the folder; false, with the reason on standard
// error, when it cannot.
bool WriteInput(const std::filesystem::path& folder, const std::string& name, const std::string& bytes);

}  // namespace zeltlog::testkit
