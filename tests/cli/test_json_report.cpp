#include <gtest/gtest.h>

#include <cmath>

#include "cli/json_report.h"

namespace zeltlog::cli {
namespace {

TEST(JsonReport, WholeLines) {
  LogReport full;
  full.log = "/jobs/PADDOCK \xE9t\xE9.LOG";  // a Windows-1252 file name
  full.version = "ZELT \x80 V4.20 \x81\"\x01";
  full.summaryRead = true;
  full.latitudeMax = -34.25, full.latitudeMin = -34.5;
  full.longitudeMax = 142.125, full.longitudeMin = 142.0;
  full.distance = 0.5, full.zoomLevel = 9;
  full.altitudeMax = 54.5, full.altitudeMin = std::nan("");
  full.actualRatesSet = true, full.actualRateMax = 52.0, full.actualRateMin = 0.0, full.volume = 678.25;
  full.timesSet = true, full.startTime = 27725.0, full.endTime = 28749.8;
  full.fixes = 5000, full.goodRecords = 8459, full.checksumErrors = 1;
  full.outputs = {"/jobs/P\xC3\xA9.KML"};  // already UTF-8: kept
  EXPECT_EQ(JsonReportLine(full),
            "{\"log\":\"/jobs/PADDOCK \xC3\xA9t\xC3\xA9.LOG\",\"version\":\"ZELT \xE2\x82\xAC V4.20 \xEF\xBF\xBD\\\"\\u0001\","
            "\"summary\":{\"latitude\":{\"max\":-34.25,\"min\":-34.5},\"longitude\":{\"max\":142.125,\"min\":142.0},"
            "\"distance\":0.5,\"zoom_level\":9,\"altitude\":{\"max\":54.5,\"min\":null},\"target_rate\":null,"
            "\"actual_rate\":{\"max\":52.0,\"min\":0.0},\"volume\":678.25,\"start\":27725.0,\"end\":28749.8},"
            "\"fixes\":5000,\"records\":8459,\"checksum_errors\":1,\"outputs\":[\"/jobs/P\xC3\xA9.KML\"],\"errors\":[]}");

  // A log that could not be read: see the convert command's tests.
}

}  // namespace
}  // namespace zeltlog::cli
