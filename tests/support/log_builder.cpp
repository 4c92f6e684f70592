#include "log_builder.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace zeltlog::testkit {

Timestamp Timestamp::FromTimeOfDay(double seconds, int year, int month, int day) {
  Timestamp t;
  t.year = year;
  t.month = month;
  t.day = day;
  const long hundredthsTotal = std::lround(seconds * 100.0);
  t.hundredths = static_cast<int>(hundredthsTotal % 100);
  const long whole = hundredthsTotal / 100;
  t.second = static_cast<int>(whole % 60);
  t.minute = static_cast<int>(whole / 60 % 60);
  t.hour = static_cast<int>(whole / 3600 % 24);
  return t;
}

void AppendTimestamp(Bytes& out, const Timestamp& t) {
  const uint64_t offset = static_cast<uint64_t>(t.year - 1993) & 0x7F;
  const uint64_t v = (static_cast<uint64_t>(t.month) & 0xF) | (offset & 0xF) << 4 |
                     (static_cast<uint64_t>(t.hundredths) & 0x7F) << 8 | (static_cast<uint64_t>(t.second) & 0x3F) << 15 |
                     (static_cast<uint64_t>(t.minute) & 0x3F) << 21 | (static_cast<uint64_t>(t.hour) & 0x1F) << 27 |
                     (static_cast<uint64_t>(t.day) & 0x1F) << 32 | (offset >> 4) << 37;
  for (int i = 0; i < 5; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Payload& Payload::U8(unsigned v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  return *this;
}
Payload& Payload::U16(unsigned v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
  return *this;
}
Payload& Payload::S16(int v) { return U16(static_cast<unsigned>(v) & 0xFFFF); }
Payload& Payload::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return *this;
}
Payload& Payload::S32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
Payload& Payload::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return U32(bits);
}
Payload& Payload::F64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  U32(static_cast<uint32_t>(bits));
  return U32(static_cast<uint32_t>(bits >> 32));
}
Payload& Payload::Time(const Timestamp& t) {
  AppendTimestamp(bytes_, t);
  return *this;
}
Payload& Payload::Text(std::string_view text, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes_.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
  return *this;
}
Payload& Payload::CText(std::string_view text) {
  Raw(text);
  return U8(0);
}
Payload& Payload::Zeros(size_t count) {
  // One byte at a time: GCC 12 warns wrongly about vector's bulk insert here.
  for (size_t i = 0; i < count; ++i) bytes_.push_back(0);
  return *this;
}
Payload& Payload::Raw(std::string_view bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

Payload Position1(const Fix& f) {
  Payload p;
  p.Time(f.time).F64(f.latitude).F64(f.longitude).F32(f.altitude).F32(f.speed).F32(f.heading).F32(0.0f).U8(0).U8(f.spray);
  return p;
}

Payload Position2(const Fix& f) {
  Payload p;
  p.Time(f.time);
  p.U32(static_cast<uint32_t>(std::llround((f.latitude + 210.0) * 1e7)));
  p.U32(static_cast<uint32_t>(std::llround((f.longitude + 210.0) * 1e7)));
  p.U16(static_cast<unsigned>(std::lround((f.altitude + 2500.0f) * 8.0f)));
  p.U16(static_cast<unsigned>(std::lround(f.heading * 128.0f)));
  p.U8(f.spray);
  return p;
}

Payload PassFix(int i, double longitude, unsigned spray) {
  return Position1({Timestamp::FromTimeOfDay(30000.0 + i * 0.2), -34.25 + i / 110930.0, longitude, 50.0f, 5.0f, 0.0f, spray});
}

Payload Sections(unsigned count, int leftCm, int rightCm) { return Payload().U8(count).S16(leftCm).S16(rightCm); }
Payload SwathWidth(float width) { return Payload().Zeros(13).F32(width); }
Payload DesiredFlow(float flow, unsigned status) { return Payload().F32(flow).U8(status); }
Payload TargetRate(unsigned channel, unsigned units, float rate) { return Payload().U8(channel).U8(units).F32(rate); }
Payload ActualRate(unsigned channels, unsigned units, float rate) { return Payload().U8(channels).U8(units).F32(rate); }
Payload FlowStatus(unsigned status, float tank, int valveCal, float meterCal, float rate, float flow) {
  return Payload().U8(status).F32(tank).S16(valveCal).F32(meterCal).F32(rate).F32(flow);
}
Payload PrescriptionMap(std::string_view name) {
  return Payload().U8(static_cast<unsigned>(name.size())).Raw(name);
}
Payload Mark(unsigned type, double latitude, double longitude, float altitude, std::string_view name) {
  return Payload().U8(type).F64(latitude).F64(longitude).F32(altitude).U8(0).CText(name);
}
Payload HeightSensor(float reading) { return Payload().F32(reading); }
Payload ShortValue(int value) { return Payload().S16(value); }
Payload SystemVersions(std::string_view system, std::string_view cpu, std::string_view gps, std::string_view dif) {
  return Payload().Text(system, 11).Text(cpu, 11).Text(gps, 11).Text(dif, 11);
}

Payload JobSummaryRecord(const JobSummary& j) {
  Payload p;
  p.Time(j.created).Time(j.updated).Text(j.appVersion, 11);
  p.F32(j.machineArea).F32(j.overlapArea).F32(j.skipArea).F32(j.appliedEst).F32(j.perimeter).F32(j.appliedCalc);
  p.Zeros(8).S16(j.timeZone).F32(j.machineWidth).F32(j.overlapWidth).F32(j.offset).Zeros(6);
  p.F64(j.maxLat).F64(j.minLat).F64(j.minLon).F64(j.maxLon);
  return p;
}

Payload FarmRecord(const FarmInfo& f) {
  Payload p;
  p.Zeros(35).Text(f.farm, 25).Text(f.field, 25).Text(f.operatorName, 25).Text(f.machine, 25);
  p.Text(f.operation, 25).Text(f.crop, 25).Text(f.windSpeed, 10).Text(f.windDir, 4).Text(f.temperature, 9);
  p.CText(f.humidity);
  return p;
}

Payload JobNotes1(std::string_view text) { return Payload().Text(text, 97); }
Payload JobNotes2(unsigned sequence, std::string_view text) { return Payload().U8(sequence).Text(text, 241); }
Payload TextMessage(std::string_view text) { return Payload().U8(0).CText(text); }

LogBuilder::LogBuilder(std::string_view header) {
  bytes_.assign(header.begin(), header.end());
  bytes_.push_back(0);
}

LogBuilder& LogBuilder::Frame(uint8_t identifier, const Payload& payload) { return Frame(identifier, payload.bytes()); }

LogBuilder& LogBuilder::Frame(uint8_t identifier, const Bytes& payload) {
  uint8_t check = static_cast<uint8_t>(0xA5 ^ (payload.size() + 4) ^ identifier);
  for (const uint8_t b : payload) check ^= b;
  return FrameWithResidual(identifier, payload, check, 0);
}

LogBuilder& LogBuilder::FrameWithResidual(uint8_t identifier, Bytes payload, uint8_t fourth, uint8_t residual) {
  const auto length = static_cast<uint8_t>(payload.size() + 4);
  uint8_t x = static_cast<uint8_t>(0xA5 ^ length ^ identifier ^ fourth);
  for (const uint8_t b : payload) x ^= b;
  if (!payload.empty()) payload.back() ^= static_cast<uint8_t>(x ^ residual);
  bytes_.push_back(0xA5);
  bytes_.push_back(length);
  bytes_.push_back(identifier);
  bytes_.push_back(fourth);
  bytes_.insert(bytes_.end(), payload.begin(), payload.end());
  return *this;
}

LogBuilder& LogBuilder::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

LogBuilder& LogBuilder::Raw(std::string_view bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes Bin1Frame(const Bin1Fix& fix, bool goodChecksum) {
  Payload p;
  p.Raw("$BIN").U16(1).U16(52).U8(0).U8(fix.satellites).U16(0);
  p.F64(fix.time).F64(fix.latitude).F64(fix.longitude);
  p.F32(fix.altitude).F32(fix.ySpeed).F32(fix.xSpeed).F32(0.0f).F32(fix.stdev);
  p.U16(fix.mode).U16(fix.age);
  unsigned sum = 0;
  for (size_t i = 8; i < 60; ++i) sum += p.bytes()[i];
  p.U16((sum + (goodChecksum ? 0 : 1)) & 0xFFFF);
  p.U8('\r').U8('\n');
  return p.bytes();
}

Bytes GpsLogHeader(unsigned sixthByte, unsigned b, unsigned c, int32_t d, std::string_view data60) {
  // "$LOG$" then the fields at offsets 5 (a byte), 6 and 8 (16-bit) and 16
  // (32-bit); the 16-bit value listed for offset 4 is '$' plus the byte at 5.
  Payload frame;
  frame.Raw("$LOG$").U8(sixthByte).U16(b).U16(c).Zeros(6).S32(d).Raw("\r\n");
  Bytes out = frame.bytes();
  Payload block;
  block.Text(data60, 60);
  out.insert(out.end(), block.bytes().begin(), block.bytes().end());
  return out;
}

Bytes ControllerBlock(unsigned a, unsigned b, unsigned type, int32_t d, const Bytes& data, size_t statedLength) {
  Payload frame;
  frame.Raw("$LOG").U16(a).U16(b).U16(static_cast<unsigned>(statedLength)).U16(type).Zeros(4).S32(d).Raw("\r\n");
  Bytes out = frame.bytes();
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

namespace {

// Field geometry of the example job: runs north and south, side by side.
struct Field {
  double originLatitude = -34.2510;
  double originLongitude = 142.1040;
  double metresPerDegreeLatitude = 110940.0;
  double metresPerDegreeLongitude = 92140.0;
  double LatitudeAt(double north) const { return originLatitude + north / metresPerDegreeLatitude; }
  double LongitudeAt(double east) const { return originLongitude + east / metresPerDegreeLongitude; }
};

}  // namespace

Bytes BuildSprayJob(const JobOptions& options) {
  std::mt19937 random(options.seed);
  auto noise = [&random](double amplitude) {
    return (static_cast<double>(random() % 2001) / 1000.0 - 1.0) * amplitude;
  };

  Field field;
  field.originLatitude += options.northM / field.metresPerDegreeLatitude;
  field.originLongitude += options.eastM / field.metresPerDegreeLongitude;
  LogBuilder log("ZELT GUIDANCE V4.20 SN 10442");
  // Logged in May 2019: every packed timestamp starts with 0xA5, the sync byte.
  const int year = 2019, month = 5, day = 14;
  const double startTime = 7 * 3600 + 42 * 60 + 5.0;

  log.Frame(101, SystemVersions("SYS 4.20.1", "CPU 2.7", "GPS 3.441", "DIF 1.02"));
  log.Frame(201, JobSummaryRecord({.created = Timestamp::FromTimeOfDay(startTime - 600.0, year, month, day),
                                   .updated = Timestamp::FromTimeOfDay(startTime - 30.0, year, month, day),
                                   .appVersion = "APP 4.20", .machineArea = 18.72f, .overlapArea = 0.31f,
                                   .skipArea = 0.02f, .appliedEst = 18.4f, .perimeter = 1850.0f, .appliedCalc = 18.39f,
                                   .timeZone = 10, .machineWidth = 24.5f, .overlapWidth = 0.5f, .offset = 0.0f,
                                   .maxLat = field.LatitudeAt(620.0), .minLat = field.LatitudeAt(-20.0),
                                   .minLon = field.LongitudeAt(-20.0), .maxLon = field.LongitudeAt(420.0)}));
  log.Frame(202, FarmRecord({"Riverside Station", "Paddock 7 North", "J. Nguyen", "Rogator 1300", "Herbicide",
                             "Wheat", "12 km/h", "SW", "18.5 C", "54 %"}));
  log.Frame(204, JobNotes1("Pre-emergent pass, avoid dam corner"));
  log.Frame(205, JobNotes2(1, "Tank mix 2.0 l/ha glyphosate"));
  log.Frame(250, TextMessage("Job loaded"));
  log.Frame(141, PrescriptionMap("P7N_PRE_2019.shp"));
  log.Frame(35, Sections(6, 1200, -1200));
  log.Frame(120, SwathWidth(24.0f));
  log.Frame(20, ShortValue(-1234));
  log.Frame(32, DesiredFlow(43.2f, 1));
  // The field's boundary, walked before spraying.
  const double corners[][2] = {{-15, -15}, {615, -15}, {615, 400}, {-15, 400}};
  for (const auto& c : corners) log.Frame(60, Mark(128, field.LatitudeAt(c[0]), field.LongitudeAt(c[1]), 48.0f, ""));
  log.Frame(60, Mark(130, field.LatitudeAt(-15), field.LongitudeAt(-15), 48.0f, "Paddock 7"));
  log.Frame(60, Mark(131, field.LatitudeAt(300), field.LongitudeAt(200), 47.5f, "Dam"));
  log.Frame(60, Mark(129, field.LatitudeAt(310), field.LongitudeAt(210), 47.5f, "Dam edge"));

  const double speed = 6.0;          // metres per second
  const double runLength = 600.0;    // metres
  const double swath = 24.0;         // metres between runs
  const double turnRadius = swath / 2;
  const double step = speed / 5.0;   // metres per fix at 5 fixes per second
  double time = startTime;
  double tank = 3000.0;
  double north = 0.0, east = 0.0, heading = 0.0;
  int run = 0;
  double along = 0.0;      // metres done on the current run
  double turned = -1.0;    // degrees turned; negative while on a run
  size_t marks = 0;
  bool gapDone = false;
  bool sectionsCut = false;

  const char* markNames[] = {"Dam & trough", "<wet patch>", "Zaun Ost \xE4", "Rock", "Weeds \"thick\"", "Gate 2"};

  for (size_t i = 0; i < options.fixes; ++i) {
    const bool onRun = turned < 0.0;
    const bool spraying = onRun && along < runLength * options.sprayedShareOfRun;
    Fix fix;
    fix.time = Timestamp::FromTimeOfDay(time, year, month, day);
    fix.latitude = field.LatitudeAt(north);
    fix.longitude = field.LongitudeAt(east);
    fix.altitude = static_cast<float>(48.0 + 0.01 * north + noise(0.4));
    fix.speed = static_cast<float>(speed + noise(0.2));
    fix.heading = static_cast<float>(std::fmod(heading + noise(0.5) + 360.0, 360.0));
    fix.spray = spraying ? 1 : 0;
    // The console switched its position format half-way through the job.
    if (i < options.fixes / 2) {
      log.Frame(1, Position1(fix));
    } else {
      log.Frame(2, Position2(fix));
    }

    if (i % 5 == 0) {
      const double target = 50.0;
      const double actual = spraying ? target + noise(2.0) : 0.0;
      log.Frame(34, TargetRate(1, 0, static_cast<float>(target)));
      log.Frame(36, ActualRate(1, 0, static_cast<float>(actual)));
      if (spraying) tank -= actual * speed * swath / 10000.0;  // litres in one second
      log.Frame(140, FlowStatus(spraying ? 1 : 0, static_cast<float>(tank), 120, 650.0f, static_cast<float>(actual),
                                static_cast<float>(actual * speed * swath * 0.006)));
    }
    if (i % 50 == 25) log.Frame(42, HeightSensor(static_cast<float>(0.9 + noise(0.05))));
    if (options.markEvery && i % options.markEvery == options.markEvery / 2) {
      log.Frame(60, Mark(static_cast<unsigned>(marks % 6), fix.latitude, fix.longitude, fix.altitude,
                         markNames[marks % 6]));
      ++marks;
    }
    if (options.withDefects && i == 700) {
      // Line noise: a few stray bytes, then a frame whose checksum fails.
      log.Raw(Bytes{0x00, 0x13, 0x37, 0xFF, 0x42});
      log.FrameWithResidual(34, TargetRate(1, 0, 50.0f).bytes(), 0x5A, 0x21);
    }
    // One run sprays with the right-hand sections switched off for a while.
    if (run == 3 && onRun && along > 200.0 && !sectionsCut) {
      log.Frame(35, Sections(6, 1200, -400));
      sectionsCut = true;
    }
    if (run == 3 && onRun && along > 400.0 && sectionsCut) {
      log.Frame(35, Sections(6, 1200, -1200));
      sectionsCut = false;
    }

    // Advance along the pattern: runs north and south, half-circle turns.
    time += 0.2;
    if (onRun) {
      along += step;
      north += (run % 2 == 0 ? step : -step);
      if (along >= runLength) {
        turned = 0.0;
        along = 0.0;
      }
    } else {
      const double rate = step / turnRadius * 57.29577951308232;  // degrees per fix
      turned += rate;
      const double angle = std::min(turned, 180.0) / 57.29577951308232;
      const double base = run * swath;
      east = base + turnRadius * (1.0 - std::cos(angle));
      north = (run % 2 == 0 ? runLength + turnRadius * std::sin(angle) : -turnRadius * std::sin(angle));
      heading = run % 2 == 0 ? std::min(turned, 180.0) : 180.0 - std::min(turned, 180.0);
      if (turned >= 180.0) {
        ++run;
        turned = -1.0;
        east = run * swath;
        north = run % 2 == 0 ? 0.0 : runLength;
        heading = run % 2 == 0 ? 0.0 : 180.0;
        if (run == 5 && !gapDone && options.withDefects) {
          time += 25.0;  // the receiver lost its fix for 25 seconds in the headland
          gapDone = true;
        }
      }
    }
  }
  return log.bytes();
}

Bytes EveryRecordLog() {
  auto fix = [](double seconds, double latitude, double longitude, unsigned spray) {
    return Fix{Timestamp::FromTimeOfDay(seconds, 2019, 5, 14), latitude, longitude, 52.5f, 4.0f, 10.0f, spray};
  };
  return LogBuilder("ZELT GUIDANCE V4.20 SN 10442")
      .Frame(101, SystemVersions("SYS 4.20", "CPU 2", "GPS 1.1", "DIF 0"))
      .Frame(201, JobSummaryRecord({.maxLat = -34.2, .minLat = -34.3, .minLon = 142.1, .maxLon = 142.2}))
      .Frame(202, FarmRecord({"Farm", "Field 7", "Op", "Rig", "Spray", "Wheat", "12", "NW", "18", "40"}))
      .Frame(204, JobNotes1("first notes"))
      .Frame(205, JobNotes2(2, "second notes"))
      .Frame(250, TextMessage("hello"))
      .Frame(35, Sections(3, 1200, -1200))
      .Frame(120, SwathWidth(24.0f))
      .Frame(32, DesiredFlow(12.5f, 1))
      .Frame(34, TargetRate(0, 1, 50.0f))
      .Frame(36, ActualRate(1, 1, 51.0f))
      .Frame(140, FlowStatus(1, 800.0f, 100, 400.0f, 51.0f, 12.0f))
      .Frame(141, PrescriptionMap("RX.SHP"))
      .Frame(42, HeightSensor(3.5f))
      .Frame(20, ShortValue(-7))
      .Frame(1, Position1(fix(27725.0, -34.245, 142.106, 0)))
      .Frame(1, Position1(fix(27725.2, -34.2451, 142.1061, 1)))
      .Frame(2, Position2(fix(27725.4, -34.2452, 142.1062, 1)))
      .Frame(2, Position2(fix(27745.4, -34.2453, 142.1063, 0)))
      .Frame(60, Mark(1, -34.2452, 142.1062, 50.0f, "A&B <x> \xE9"))
      .Frame(60, Mark(4, -34.2453, 142.1063, 50.0f, "edge"))
      .FrameWithResidual(34, TargetRate(0, 1, 40.0f).bytes(), 200, 17)
      .Raw("\x01\x02junk")
      .Frame(99, Payload().U8(1).U8(2))
      .bytes();
}

std::string GpsLogStart() {
  const Bytes header = GpsLogHeader('A', 1, 2, -5, "RECEIVER 1.0");
  std::string start(header.begin(), header.end());
  start += "$PSAT,GBS";
  for (int i = 0; i < 29; ++i) start += "," + std::to_string(i) + ".5";
  return start + "\r\n";
}

std::string ControllerBlocks(size_t size) {
  Bytes data(size);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 256);
  std::string log = "noise before\r\n";
  for (const Bytes& block : {ControllerBlock(1, 2, 1, 77, data, data.size()), ControllerBlock(3, 4, 2, -1, data, data.size()),
                             ControllerBlock(5, 6, 1, 0, {}, 0),
                             ControllerBlock(7, 8, 1, 9, Bytes(data.begin(), data.begin() + 30), 60)}) {
    log.append(block.begin(), block.end());
  }
  return log;
}

std::string ViewerPolygonKml() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kml>\r\n<Document>\r\n\t<Placemark>\r\n\t\t<Polygon>\r\n"
         "\t\t\t<outerBoundaryIs>\r\n\t\t\t\t<LinearRing>\r\n\t\t\t\t\t<coordinates>\r\n"
         "\t\t\t\t\t\t142.1,-34.2,0 142.2,-34.2,0 142.2,-34.3,0 142.1,-34.2,0 \r\n"
         "\t\t\t\t\t</coordinates>\r\n\t\t\t\t</LinearRing>\r\n\t\t\t</outerBoundaryIs>\r\n\t\t</Polygon>\r\n"
         "\t</Placemark>\r\n</Document>\r\n</kml>\r\n";
}

bool WriteInput(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  const std::string path = (folder / name).string();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fclose(out) == 0) return true;
  std::perror(path.c_str());
  return false;
}

}  // namespace zeltlog::testkit
