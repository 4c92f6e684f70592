#include <gtest/gtest.h>

#include <filesystem>

#include "core/log_conversion.h"
#include "core/output_names.h"
#include "log_builder.h"
#include "recording_platform.h"
#include "temp_dir.h"
#include "xml_check.h"

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

class Conversion : public ::testing::Test {
 protected:
  std::string WriteLog(const std::string& name, const std::string& bytes) {
    testkit::WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  testkit::TempDir dir;
  testkit::RecordingPlatform platform;
  ConversionSession session{platform};
};

TEST_F(Conversion, ChooserCancelledChangesNothing) {
  session.chosenLogPath = "earlier";
  const auto outcome = RunLogConversion(session);
  EXPECT_FALSE(outcome.chosen);
  EXPECT_EQ(platform.filters, std::vector<std::string>{"ZELT LOG FORMAT .LOG|*.LOG|All Files - All Types|*.*;*||"});
  EXPECT_EQ(session.chosenLogPath, "earlier");
  EXPECT_EQ(platform.clears, 0);
}

TEST_F(Conversion, ChosenLogIsConvertedAndItsFolderRemembered) {
  platform.choices.push_back(WriteLog("J.LOG", testkit::LogBuilder().str()));
  const auto outcome = RunLogConversion(session);
  EXPECT_TRUE(outcome.chosen);
  EXPECT_EQ(session.chosenLogPath, dir.File("J.LOG"));
  EXPECT_EQ(session.lastChosenFolder, dir.path());
  EXPECT_EQ(outcome.documentsWritten.size(), 3u);
}

TEST_F(Conversion, OutputThatCannotBeCreatedGetsNoWritesAndIsReported) {
  const auto job = testkit::BuildSprayJob({600, 100, false, 1});
  const std::string log = WriteLog("T.LOG", std::string(job.begin(), job.end()));
  std::filesystem::create_directory(dir.File("T_SIC.KML"));
  const auto outcome = RunLogConversionOn(session, log);
  EXPECT_FALSE(outcome.Succeeded());
  ASSERT_EQ(outcome.documentsFailed.size(), 1u);
  EXPECT_EQ(outcome.documentsFailed[0].path, dir.File("T_SIC.KML"));
  EXPECT_EQ(platform.LinesOf(EventKind::Error), std::vector<std::string>{"Cannot create " + dir.File("T_SIC.KML")});
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("T_SIC.KML")));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("T_SIC.KML")));
  EXPECT_EQ(platform.opened, (std::vector<std::string>{dir.File("T.KML"), dir.File("T_M.KML")}));
  EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(dir.File("T.KML"))));
  EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(dir.File("T_M.KML"))));
  // Nothing but the two documents was left in the folder.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 3u);
}

TEST_F(Conversion, LogsThatCannotBeConverted) {
  testkit::WriteFile(dir.File("T.KML"), "earlier document");
  struct Case {
    std::string path;
    std::string reason;
  };
  std::filesystem::create_directory(dir.File("FOLDER.LOG"));
  const Case cases[] = {
      {dir.File("MISSING.LOG"), "No such file or directory"},
      {dir.File("FOLDER.LOG"), "is a folder, not a file"},
      {WriteLog("T.LOG", ""), "the log is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto outcome = RunLogConversionOn(session, c.path);
    EXPECT_FALSE(outcome.logRead);
    EXPECT_EQ(outcome.logError, c.reason);
    EXPECT_TRUE(outcome.documentsWritten.empty());
    EXPECT_TRUE(platform.opened.empty());
  }
  EXPECT_EQ(testkit::ReadFile(dir.File("T.KML")), "earlier document");
}

TEST_F(Conversion, GarbageAndTruncatedLogsAreConvertedAndFlagged) {
  std::string garbage(5000, '\0');
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919u) % 251u);
  auto outcome = RunLogConversionOn(session, WriteLog("G.LOG", garbage));
  EXPECT_TRUE(outcome.logRead);
  EXPECT_FALSE(outcome.Succeeded());
  for (const auto& path : outcome.documentsWritten) EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(path)));

  const auto job = testkit::BuildSprayJob({300, 100, false, 1});
  const std::string truncated(reinterpret_cast<const char*>(job.data()), job.size() - 7);
  outcome = RunLogConversionOn(session, WriteLog("C.LOG", truncated));
  EXPECT_TRUE(outcome.logRead);
  EXPECT_TRUE(outcome.endedInsideFrame);
  EXPECT_EQ(outcome.documentsWritten.size(), 3u);
  EXPECT_EQ(session.checksumErrorCount, 1);
  for (const auto& path : outcome.documentsWritten) EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(path)));
}

TEST_F(Conversion, OutputSwitches) {
  const std::string log = WriteLog("S.LOG", testkit::LogBuilder().Frame(99, testkit::Bytes{1}).str());
  session.lineOutput = 0;
  session.marksOutput = 0;
  auto outcome = RunLogConversionOn(session, log);
  EXPECT_EQ(outcome.documentsWritten, std::vector<std::string>{dir.File("S_SIC.KML")});
  EXPECT_FALSE(std::filesystem::exists(dir.File("S.KML")));
  // With the swath switch off the command stops after its reset.
  session.swathOutput = 0;
  outcome = RunLogConversionOn(session, log);
  EXPECT_TRUE(outcome.documentsWritten.empty());
  EXPECT_TRUE(platform.Lines().empty());
}

TEST_F(Conversion, ExampleJobDocumentsAreWellFormed) {
  const auto job = testkit::BuildSprayJob({});
  const std::string log = WriteLog("E.LOG", std::string(job.begin(), job.end()));
  const auto outcome = RunLogConversionOn(session, log);
  EXPECT_TRUE(outcome.Succeeded());
  ASSERT_EQ(outcome.documentsWritten.size(), 3u);
  for (const auto& path : outcome.documentsWritten) {
    std::string error;
    EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(path), &error)) << path << ": " << error;
  }
  EXPECT_EQ(session.checksumErrorCount, 1);
  EXPECT_EQ(session.runPositionCount, 5000);
  const std::string marks = testkit::ReadFile(dir.File("E_M.KML"));
  EXPECT_NE(marks.find("<name>Dam &amp; trough</name>"), std::string::npos);
  EXPECT_NE(marks.find("<name>&lt;wet patch&gt;</name>"), std::string::npos);
  EXPECT_NE(marks.find("<name>Zaun Ost \xC3\xA4</name>"), std::string::npos);
  // The path breaks into a new line string at the 25-second gap.
  EXPECT_NE(testkit::ReadFile(dir.File("E.KML")).find("</LineString>\r\n<LineString>\r\n"), std::string::npos);
}

}  // namespace
}  // namespace zeltlog
