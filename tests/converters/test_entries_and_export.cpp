#include <gtest/gtest.h>

#include <filesystem>

#include "converters/event_export.h"
#include "converters/job_to_kml.h"
#include "converters/live_tracking.h"
#include "pipeline/log_conversion.h"
#include "testkit.h"

namespace zeltlog {
namespace {

using Lines = std::vector<std::string>;
class Tracking : public ::testing::Test, protected testkit::Workspace {};
using JobToKml = Tracking;
using EventExport = Tracking;

TEST_F(Tracking, OpensTheLogAndKeepsItOpen) {
  TrackedLog tracked;
  const testkit::Fix fix{.time = {}, .latitude = 45.0, .longitude = 9.0};
  testkit::WriteFile(dir.File("LIVE.LOG"), testkit::LogBuilder("CONSOLE 7.1").Frame(1, testkit::Position1(fix)).str());
  session.goodRecordCount = 12;
  platform.AddEvent(EventKind::Summary, "old line");

  platform.choices.push_back(dir.File("LIVE.LOG"));
  EXPECT_TRUE(StartTracking(session, tracked).Succeeded());
  EXPECT_EQ(platform.filters.at(0), "ZELT LOG FORMAT .LOG|*.LOG|All Files - All Types|*.*;*||");
  EXPECT_EQ(session.lastChosenFolder, dir.path());
  EXPECT_EQ(platform.Lines(), Lines{"Version: CONSOLE 7.1"});
  EXPECT_EQ(session.chosenLogPath, dir.File("LIVE.LOG"));
  EXPECT_EQ(session.goodRecordCount, 0);
  // Open and positioned after the header, with the first frame next.
  ASSERT_TRUE(tracked.reader.IsOpen());
  EXPECT_EQ(tracked.reader.Position(), std::string("CONSOLE 7.1").size() + 1);
  EXPECT_EQ(tracked.reader.ReadByte(), 0xA5);

  // The window's OK closes it.
  CloseTrackedLog(tracked);
  EXPECT_FALSE(tracked.reader.IsOpen());

  // A log that cannot be opened leaves the list cleared and nothing open.
  platform.AddEvent(EventKind::Summary, "old line");
  EXPECT_FALSE(StartTrackingOn(session, tracked, dir.File("GONE.LOG")).inputRead);
  EXPECT_TRUE(platform.Lines().empty());
  EXPECT_FALSE(tracked.reader.IsOpen());
  // Cancel does nothing.
  const int clears = platform.clears;
  EXPECT_FALSE(StartTracking(session, tracked).chosen);
  EXPECT_EQ(platform.clears, clears);
}

TEST_F(JobToKml, OpensTheJobFileOnly) {
  testkit::WriteFile(dir.File("12"), ".JOB 12 NONE\r\n.VERSION 1\r\n.POL 1\r\n\tINC\r\n");
  platform.AddEvent(EventKind::Summary, "old line");
  platform.choices.push_back(dir.File("12"));
  EXPECT_TRUE(OpenJobFile(session).Succeeded());
  EXPECT_EQ(platform.filters.at(0), "FLYDEX JOB format to Google Earth KML .KML |*.KML|All Files - All Types|*.*;*||");
  EXPECT_EQ(platform.extensions.at(0), "KML");
  EXPECT_TRUE(platform.Lines().empty());
  EXPECT_EQ(session.chosenLogPath, dir.File("12"));
  EXPECT_EQ(testkit::EntriesIn(dir.path()), 1u);
  EXPECT_FALSE(OpenJobFileOn(session, dir.File("13")).inputRead);
}

TEST_F(EventExport, DataDatInTheLastChosenFolder) {
  session.lastChosenFolder = dir.path();
  const std::string header =
      "VRC,dtim1,bfstat,bf0stat,bflow_Status,dtargetrate[0],dtargetratepertime,Flow_Status,tot_liters,valve_cal,"
      "meter_cal,app_liters_hectare,app_liters_min,dlat, dlon, dswath\r\n";

  // An empty list: the header alone, the count 0 and the beep.
  EXPECT_TRUE(ExportEventList(session, platform.events));
  EXPECT_EQ(testkit::ReadFile(dir.File("DATA.DAT")), header);
  EXPECT_EQ(platform.messages, Lines{"DATA.DAT Closed, count 0"});
  EXPECT_EQ(platform.beeps, 1);

  // A line with its own line end leaves an empty line after it; a second
  // export replaces the first.
  platform.AddEvent(EventKind::Summary, ".JOB 1 NONE\n");
  platform.AddEvent(EventKind::Record, "INC");
  EXPECT_TRUE(ExportEventList(session, platform.events));
  EXPECT_EQ(testkit::ReadFile(dir.File("DATA.DAT")), header + ".JOB 1 NONE\r\n\r\nINC\r\n");
  EXPECT_EQ(platform.messages.back(), "DATA.DAT Closed, count 2");
  EXPECT_EQ(platform.beeps, 2);
  EXPECT_EQ(platform.Lines().size(), 2u);

  // A folder where the file should be: refused, no beep, nothing changed.
  testkit::TempDir other;
  std::filesystem::create_directory(other.File("DATA.DAT"));
  session.lastChosenFolder = other.path();
  EXPECT_FALSE(ExportEventList(session, platform.events));
  EXPECT_EQ(platform.messages.back(), "DATA.DAT not opened");
  EXPECT_EQ(platform.beeps, 2);
  EXPECT_TRUE(std::filesystem::is_empty(other.File("DATA.DAT")));
}

}  // namespace
}  // namespace zeltlog
