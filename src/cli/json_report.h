// The report of one converted log as one line of JSON, for scripts that
// drive batch conversions (convert --json). The report is a plain record of
// values, filled by the convert command from whatever the conversion gives,
// so that this unit knows nothing of how a log is converted.
#pragma once

#include <string>
#include <vector>

namespace zeltlog::cli {

struct LogReport {
  std::string log;      // the log's path as it was given
  std::string version;  // the console's version text from the log's header; empty when none
  // The log was read and the figures below hold; otherwise the report's
  // summary is null.
  bool summaryRead = false;
  // Ranges of the pre-scan, degrees and metres.
  double latitudeMax = 0.0, latitudeMin = 0.0;
  double longitudeMax = 0.0, longitudeMin = 0.0;
  double distance = 0.0;  // extent distance, degrees
  int zoomLevel = 0;
  double altitudeMax = 0.0, altitudeMin = 0.0;
  // Application rates, litres per hectare; unset when the log has none.
  bool targetRatesSet = false;
  double targetRateMax = 0.0, targetRateMin = 0.0;
  bool actualRatesSet = false;
  double actualRateMax = 0.0, actualRateMin = 0.0;
  double volume = 0.0;  // litres, with the actual rates
  // Time of day, seconds, of the first and last fix; unset without a fix.
  bool timesSet = false;
  double startTime = 0.0, endTime = 0.0;
  int fixes = 0;
  int goodRecords = 0;
  int checksumErrors = 0;
  std::vector<std::string> outputs;  // documents written
  std::vector<std::string> errors;   // the tool's messages about the log, without the program's name
};

// One JSON object on one line, without a line end. Texts that are not
// UTF-8 (8-bit texts from a log, file names in a legacy encoding) are read
// as Windows-1252.
std::string JsonReportLine(const LogReport& report);

}  // namespace zeltlog::cli
