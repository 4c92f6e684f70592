// ConversionSession: the one object that holds the state of a conversion:
// output switches, the values shown in the window's fields, paths and open
// files, counters, the values of the latest record of each kind, the ranges
// of the pre-scan, the writers' per-run state and the projector. Decoders,
// writers and commands are operations on it; each front end owns its own
// session, and nothing is global.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/byte_reader.h"
#include "core/output_file.h"
#include "core/platform.h"
#include "geodesy/utm_projector.h"

namespace zeltlog {

// A frame holds at most 251 payload bytes; the buffer is larger so that
// every fixed offset a decoder reads lies inside it, and its last byte is a
// zero guard that ends any text run.
inline constexpr size_t kRecordBufferSize = 257;

// The options of the KML-to-job command; they persist while the program runs.
struct KmlToJobOptions {
  std::string jobName = "A";
  int boundaryKind = 0;  // 0 include, 1 exclude
  int jobNumber = 1;     // 1 to 999
};

// State of the track and swath writer and the swath quads, cleared per run.
struct TrackWriterState {
  double referenceLatitude = 0.0, referenceLongitude = 0.0, referenceAltitude = 0.0;
  double metresPerDegreeLatitude = 0.0, metresPerDegreeLongitude = 0.0;
  double previousLatitude = 0.0, previousLongitude = 0.0;
  double previousFixTime = 0.0;
  double swathDirection = 0.0, previousSwathDirection = 0.0;
  double lastRightOffset = 0.0, lastLeftOffset = 0.0;
  int watchdogCounter = 0;
  int quadRingCounter = 0;
  size_t lastRingStart = 0, lastRingLength = 0;  // the last quad's ring inside quadPlacemarkText
  std::string prevRightCorner, rightCorner, leftCorner, prevLeftCorner;
};

struct ConversionSession {
  explicit ConversionSession(Platform& platform);
  ConversionSession(const ConversionSession&) = delete;
  ConversionSession& operator=(const ConversionSession&) = delete;

  // Adds a line to the event list.
  void AddEvent(EventKind kind, std::string_view line) { platform.AddEvent(kind, line); }
  // False when nobody will see lines of this kind: they need not be formatted.
  bool Wants(EventKind kind) const { return platform.WantsEvents(kind); }

  Platform& platform;

  // Output switches (1 = on).
  int lineOutput = 1;
  int swathOutput = 1;
  int marksOutput = 1;
  int boundaryOutput = 1;
  int htmlOutput = 1;

  // Values shown in the window's fields.
  int goodRecordCount = 0;
  int lineCheckState = 1, swathCheckState = 1, marksCheckState = 1, shapeCheckState = 1;
  std::string chosenLogPath;
  std::string positionFormatLabel;
  int debugCheckState = 0;
  int boundariesCheckState = 1;
  int htmlCheckState = 1;
  double sprayProjection = 0.0;
  std::string vehicleText;
  std::string bottomText;
  int intField = 0;
  double doubleField = 0.0;

  // Paths.
  std::string logPath;
  std::string marksKmlPath;
  std::string swathKmlPath;
  // Folder of the file last chosen in any chooser: "DATA.DAT" and the job
  // file go there. Empty means the process's working directory.
  std::string lastChosenFolder;

  // Files.
  ByteReader logFile;
  OutputFile pathKml;
  OutputFile swathKml;
  OutputFile marksKml;

  // Counters.
  int checksumErrorCount = 0;
  int runPositionCount = 0;

  // Record framing.
  std::array<uint8_t, kRecordBufferSize> recordBuffer{};
  size_t payloadLength = 0;  // bytes of the current frame's payload
  uint8_t fourthHeaderByte = 0;
  std::string headerText;
  EventKind headerLineKind = EventKind::Summary;
  // Set when a pass ended because the file ended inside a frame.
  bool logEndedInsideFrame = false;

  // Latest values of the position records.
  double currentLatitude = 0.0, currentLongitude = 0.0, currentAltitude = 0.0;
  double currentSpeed = 0.0, currentHeading = 0.0;
  double auxiliaryValue = 0.0, auxiliaryCount = 0.0;
  uint8_t sprayState = 0, previousSprayState = 0;
  double currentTime = 0.0;

  // Variable-rate values.
  double desiredFlowRate = 0.0;
  double currentTargetRate = 0.0;
  double currentActualRate = 0.0;
  uint8_t flowStatus = 0;
  uint8_t runStatus = 0;  // fourth per-run status byte; nothing sets it
  int shortValue = 0;

  // Swath geometry, metres; left edge positive, right edge negative.
  double swathWidth = 70.0;
  double swathCentreOffset = 0.0;
  double leftEdgeOffset = 0.0;
  double rightEdgeOffset = 0.0;

  // Job texts of the job-information records.
  std::string versionText, createdText, notes1Text, notes2Text;

  // Pre-scan ranges.
  double latitudeMax = -90.0, latitudeMin = 90.0;
  double longitudeMax = -180.0, longitudeMin = 180.0;
  double altitudeMax = -1000.0, altitudeMin = 20000.0;
  double targetRateMax = -1000.0, targetRateMin = 2000.0;
  double actualRateMax = -1000.0, actualRateMin = 2000.0;
  double tankFirst = 0.0, tankCurrent = 0.0, tankUsed = 0.0;
  int tankFirstPending = 1;
  int zoomLevel = 1;

  std::string runStartText;
  int firstFixCounter = 0;

  // KML document content carried to the end of the pass.
  std::string markPlacemarkText;
  std::string quadPolygonOpen;
  std::string quadPolygonText;
  std::string quadPlacemarkText;
  TrackWriterState track;

  UtmProjector projector;

  // Side converters.
  KmlToJobOptions jobOptions;
  int trackingLogOpen = 0;
  double rstdev = 0.0;

  // Scratch text reused for every formatted line, so that the hot path
  // allocates nothing per record.
  std::string scratch;
};

// The per-run reset: templates, writer state and the per-run members.
void ResetSession(ConversionSession& session);
// Sets every pre-scan range to its sentinel.
void SetRangeSentinels(ConversionSession& session);

// Asks the platform's chooser for an existing file; a chosen file's folder
// becomes the folder "DATA.DAT" and the job file go to, as the desktop's
// chooser would make it the working directory. Nothing when cancelled.
std::optional<std::string> ChooseFileAndRememberFolder(ConversionSession& session, std::string_view filter,
                                                       std::string_view defaultExtension);

}  // namespace zeltlog
