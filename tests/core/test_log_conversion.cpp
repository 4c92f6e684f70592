#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "pipeline/log_conversion.h"
#include "sinks/event_lines.h"
#include "core/output_names.h"
#include "testkit.h"

namespace zeltlog {
namespace {

TEST(OutputNames, BaseAndDocumentNames) {
  EXPECT_EQ(OutputBase("/data/JOB12.LOG"), "/data/JOB12");
  EXPECT_EQ(OutputBase("/data/FIELD1234"), "/data/FIELD1234");  // no extension: the whole name
  EXPECT_EQ(OutputBase("/data.old/LOG"), "/data.old/LOG");  // never cuts into the folder
  EXPECT_EQ(OutputBase("C:\\jobs\\ABCD"), "C:\\jobs\\ABCD");
  EXPECT_EQ(OutputBase("A.LOG"), "A");
  EXPECT_EQ(OutputBase("/d/JOB.2019.LOGFILE"), "/d/JOB.2019");  // from the last dot, any length
  EXPECT_EQ(OutputBase("/d/TRACK."), "/d/TRACK");
  EXPECT_EQ(OutputBase("/d/.LOG"), "/d/.LOG");  // a hidden file's name has no extension
  EXPECT_EQ(FileNameOf("C:\\jobs\\A_SIC.KML"), "A_SIC.KML");
  EXPECT_EQ(FileNameOf("/x/y\\z.KML"), "z.KML");
  EXPECT_EQ(FileNameOf("plain.KML"), "plain.KML");
  EXPECT_EQ(FolderOf("/x/y/z.KML"), "/x/y");
  EXPECT_EQ(FolderOf("z.KML"), "");
  EXPECT_EQ(JoinPath("/x/y", "DATA.DAT"), "/x/y/DATA.DAT");
}

TEST(ZoomLevel, Thresholds) {
  EXPECT_EQ(ZoomLevelFor(400.0), 1);
  EXPECT_EQ(ZoomLevelFor(180.0), 2);
  EXPECT_EQ(ZoomLevelFor(ExtentDistance(0.0005, 0.0, 0.0005, 0.0)), 19);
  EXPECT_EQ(ZoomLevelFor(0.001), 18);
  EXPECT_NEAR(ExtentDistance(0.0005, 0.0, 0.0005, 0.0), 0.000707, 0.000001);
}

class Conversion : public ::testing::Test, protected testkit::Workspace {
 protected:
  std::string WriteLog(const std::string& name, const std::string& bytes) {
    testkit::WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  std::string OneFixLog(const std::string& name) {
    const testkit::Fix fix{.time = {}, .latitude = -34.25, .longitude = 142.1};
    return WriteLog(name, testkit::LogBuilder().Frame(1, testkit::Position1(fix)).str());
  }
};

TEST_F(Conversion, ChooserCancelledOrChosen) {
  session.chosenLogPath = "earlier";
  EXPECT_FALSE(RunLogConversion(session).chosen);
  EXPECT_EQ(platform.filters, std::vector<std::string>{"ZELT LOG FORMAT .LOG|*.LOG|All Files - All Types|*.*;*||"});
  EXPECT_EQ(session.chosenLogPath, "earlier");
  EXPECT_EQ(platform.clears, 0);
  // A chosen log is converted and its folder remembered.
  platform.choices.push_back(OneFixLog("J.LOG"));
  const auto outcome = RunLogConversion(session);
  EXPECT_TRUE(outcome.chosen);
  EXPECT_EQ(session.chosenLogPath, dir.File("J.LOG"));
  EXPECT_EQ(session.lastChosenFolder, dir.path());
  EXPECT_EQ(outcome.outputs.written.size(), 3u);
}

// The CLI's tests see the folder stay empty, the reason named, the other
// documents written and nothing left behind.
TEST_F(Conversion, OutputThatCannotBeCreatedIsReportedAndNotOpened) {
  const std::string log = WriteLog("T.LOG", testkit::Str(testkit::BuildSprayJob({600, 100, false, 1})));
  std::filesystem::create_directory(dir.File("T_SIC.KML"));
  const auto outcome = RunLogConversionOn(session, log);
  EXPECT_FALSE(outcome.Succeeded());
  ASSERT_EQ(outcome.outputs.failed.size(), 1u);
  EXPECT_EQ(outcome.outputs.failed[0].path, dir.File("T_SIC.KML"));
  EXPECT_EQ(platform.LinesOf(EventKind::Error), std::vector<std::string>{"Cannot create " + dir.File("T_SIC.KML")});
  EXPECT_EQ(DocumentsForViewer(session, log, outcome.outputs), (std::vector<std::string>{dir.File("T.KML"), dir.File("T_M.KML")}));
}

TEST_F(Conversion, OutputSwitches) {
  const std::string log = OneFixLog("S.LOG");
  session.options.lineOutput = false;
  session.options.marksOutput = false;
  auto outcome = RunLogConversionOn(session, log);
  EXPECT_EQ(outcome.outputs.written, std::vector<std::string>{dir.File("S_SIC.KML")});
  EXPECT_FALSE(std::filesystem::exists(dir.File("S.KML")));
  // With the swath switch off the command stops after its reset.
  session.options.swathOutput = false;
  outcome = RunLogConversionOn(session, log);
  EXPECT_TRUE(outcome.outputs.written.empty());
  EXPECT_TRUE(platform.Lines().empty());
}

// The figures of the whole log head the event list and the swath edges in
// force before the log's first swath record are its last ones, whether
// the pre-scan runs beside the full pass from the start (every record is
// listed) or only once the pass finds it needs them (a quad before any
// swath record); a checksum error early in the log still follows the
// summary.
TEST_F(Conversion, FiguresAndFirstEdgesComeFromTheWholeLog) {
  struct Quiet : testkit::RecordingPlatform {
    bool WantsEvents(EventKind kind) const override { return kind == EventKind::Summary || kind == EventKind::Error; }
  };
  struct Edges : Sink {
    void OnQuad(const SwathQuad& q) override { seen.emplace_back(q.leftOffset, q.rightOffset); }
    std::vector<std::pair<double, double>> seen;
  };
  testkit::LogBuilder log("V1");
  log.FrameWithResidual(34, testkit::TargetRate(1, 0, 50.0f).bytes(), 9, 0x21);
  for (int i = 0; i < 40; ++i) {
    const testkit::Fix fix{.time = testkit::Timestamp::FromTimeOfDay(100.0 + 0.2 * i), .latitude = -34.25 + 1e-5 * i,
                           .longitude = 142.1, .altitude = 48.0f, .speed = 6.0f, .heading = 3.0f, .spray = 1};
    log.Frame(1, testkit::Position1(fix));
    if (i == 10) log.Frame(35, testkit::Sections(4, 300, -300));
    if (i == 30) log.Frame(35, testkit::Sections(4, 700, -650));
  }
  const std::string path = WriteLog("E.LOG", log.str());
  testkit::RecordingPlatform everything;
  Quiet quiet;
  for (testkit::RecordingPlatform* shown : {static_cast<testkit::RecordingPlatform*>(&everything), static_cast<testkit::RecordingPlatform*>(&quiet)}) {
    ConversionSession run{*shown, *shown, *shown};
    Edges edges;
    const auto outcome = RunLogConversionOn(run, path, {&edges});
    EXPECT_TRUE(outcome.Succeeded());
    ASSERT_EQ(edges.seen.size(), 44u);  // each change of edges closes two quads more
    EXPECT_EQ(edges.seen.front(), std::make_pair(7.0, -6.5));
    EXPECT_EQ(edges.seen[20], std::make_pair(3.0, -3.0));
    EXPECT_EQ(edges.seen.back(), std::make_pair(7.0, -6.5));
    const auto summary = shown->LinesOf(EventKind::Summary);
    ASSERT_EQ(summary.size(), 8u);
    EXPECT_EQ(summary[1], "Latitude range:  -34.24961000, -34.25000000, 0.00039000");
    const auto lines = shown->Lines();
    const auto error = std::find(lines.begin(), lines.end(), "   CS error  ID 34, bytes = 10  cs = 33  9");
    ASSERT_NE(error, lines.end());
    EXPECT_GT(error - lines.begin(), std::find(lines.begin(), lines.end(), summary[6]) - lines.begin());
  }
}

}  // namespace
}  // namespace zeltlog
