// convert --kmz, --ogc, --time and --color-by rate, alone and together:
// the documents are read back (unzipped with libzip), parsed, checked
// against the OGC KML 2.2 schema with xmllint and, for KMZ, opened with
// GDAL's ogrinfo where those tools are installed.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <utility>

#include "testkit.h"

namespace zeltlog {
namespace {


const std::string kSchema = std::string(ZELTLOG_SOURCE_DIR) + "/tests/schemas/kml22/ogckml22.xsd";

bool HasTool(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

// The one entry "doc.kml" of a KMZ; "" when the archive is not that.
std::string ReadKmz(const std::string& path) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (!archive) return "";
  std::string text;
  zip_stat_t stat;
  if (zip_get_num_entries(archive, 0) == 1 && zip_stat(archive, "doc.kml", 0, &stat) == 0) {
    zip_file_t* file = zip_fopen(archive, "doc.kml", 0);
    text.resize(stat.size);
    if (!file || zip_fread(file, text.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) text.clear();
    if (file) zip_fclose(file);
  }
  zip_close(archive);
  return text;
}


// Fixes heading north on 14 May 2019 with the applied rate stepping
// through every bin, then two time gaps (the middle piece of the path is a
// single point), and a mark, a boundary point and an inclusion point.
std::string ViewerJob() {
  testkit::LogBuilder log("TEST");
  double latitude = 45.0;
  auto fix = [&](double time, unsigned spray) {
    // 9 E, heading north at 5 m/s.
    return testkit::Position1({.time = testkit::Timestamp::FromTimeOfDay(time, 2019, 5, 14),
                               .latitude = std::exchange(latitude, latitude + 0.00001),
                               .longitude = 9.0, .altitude = 50.5f, .speed = 5.0f, .heading = 1.0f, .spray = spray});
  };
  log.Frame(35, testkit::Sections(4, 1000, -1000));
  log.Frame(34, testkit::TargetRate(1, 0, 50.0f));
  log.Frame(1, fix(3600.0, 1));
  double time = 3600.0;
  for (const float rate : {0.0f, 30.0f, 45.0f, 50.0f, 57.0f, 70.0f}) {
    log.Frame(36, testkit::ActualRate(1, 0, rate));
    log.Frame(1, fix(time += 0.2, 1));
  }
  log.Frame(34, testkit::TargetRate(1, 0, 0.0f));
  log.Frame(1, fix(time += 0.2, 1));
  log.Frame(1, fix(time += 20.0, 0));
  log.Frame(1, fix(time += 20.0, 0));
  log.Frame(1, fix(time += 0.2, 0));
  log.Frame(60, testkit::Mark(3, 45.00001, 9.0, 50.5f, "Post & <gate>"));
  log.Frame(60, testkit::Mark(128, 45.00002, 9.0001, 50.5f, ""));
  log.Frame(60, testkit::Mark(130, 45.00003, 9.0002, 50.5f, ""));
  return log.str();
}

struct ViewerCase {
  std::string name, options;
  bool kmz, time, rate;
};

class CliViewerDocuments : public ::testing::TestWithParam<ViewerCase> {
 protected:
  testkit::TempDir dir;
};

TEST_P(CliViewerDocuments, ValidDocumentsWithTheirAdditions) {
  const ViewerCase& c = GetParam();
  testkit::WriteFile(dir.File("JOB.LOG"), ViewerJob());
  const std::string extension = c.kmz ? ".KMZ" : ".KML";
  // A KMZ replaces whatever stood at its name.
  if (c.kmz) testkit::WriteFile(dir.File("JOB.KMZ"), "not a zip\n");
  const auto run = RunCli("convert -q " + c.options + " " + ShellQuote(dir.File("JOB.LOG")));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string names[] = {"JOB" + extension, "JOB_SIC" + extension, "JOB_M" + extension};
  EXPECT_NE(run.out.find(dir.File(names[0]) + "\n" + dir.File(names[1]) + "\n" + dir.File(names[2]) + "\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(std::filesystem::exists(dir.File("JOB.KML")), !c.kmz);

  std::string documents[3];
  for (int i = 0; i < 3; ++i) {
    const std::string path = dir.File(names[i]);
    documents[i] = c.kmz ? ReadKmz(path) : testkit::ReadFile(path);
    std::string error;
    EXPECT_TRUE(testkit::IsWellFormedXml(documents[i], &error)) << names[i] << ": " << error;
    const std::string plain = dir.File("plain" + std::to_string(i) + ".kml");
    testkit::WriteFile(plain, documents[i]);
    if (HasTool("xmllint")) {
      const auto valid = RunShell("xmllint --noout --schema " + ShellQuote(kSchema) + " " + ShellQuote(plain));
      EXPECT_EQ(valid.status, 0) << names[i] << ": " << valid.err;
    }
    if (c.kmz && HasTool("ogrinfo")) {
      const auto info = testkit::RunShell("ogrinfo -ro -so -al " + ShellQuote(path));
      EXPECT_EQ(info.status, 0) << info.err;
      EXPECT_NE(info.out.find("Feature Count: "), std::string::npos) << info.out;
    }
  }
  const std::string& path = documents[0];
  const std::string& swath = documents[1];
  const std::string& marks = documents[2];
  // The single point between the gaps, and one name per placemark.
  EXPECT_NE(path.find("<Point>\r\n<altitudeMode>clampToGround</altitudeMode>\r\n<coordinates>9.00000022,45.00008900,50.500\r\n</coordinates>"),
            std::string::npos) << path;
  EXPECT_NE(marks.find("<name>Post &amp; &lt;gate&gt;</name>\r\n<styleUrl>#sn_S</styleUrl>"), std::string::npos);
  EXPECT_NE(marks.find("<Style id=\"sn_S\">"), std::string::npos);
  EXPECT_NE(marks.find("<name>BOUNDARY</name>"), std::string::npos);

  EXPECT_EQ(swath.find("<when>2019-05-14T01:00:00.20Z</when>") != std::string::npos, c.time);
  EXPECT_EQ(path.find("<TimeSpan>\r\n<begin>2019-05-14T01:00:00.00Z</begin>\r\n<end>2019-05-14T01:00:00.20Z</end>\r\n"
                      "</TimeSpan>") != std::string::npos,
            c.time);
  // The point alone carries its own time.
  EXPECT_EQ(path.find("<when>2019-05-14T01:00:21.40Z</when>") != std::string::npos, c.time);
  for (const char* style : {"rateOff", "rateFarUnder", "rateUnder", "rateOnTarget", "rateOver", "rateFarOver",
                            "rateNoTarget"}) {
    EXPECT_EQ(swath.find("<styleUrl>#" + std::string(style) + "</styleUrl>") != std::string::npos, c.rate) << style;
  }
  EXPECT_EQ(swath.find("<td>below 80 % of target</td>") != std::string::npos, c.rate);
  EXPECT_EQ(swath.find("<styleUrl>#G1</styleUrl>") != std::string::npos, !c.rate);
}

INSTANTIATE_TEST_SUITE_P(Options, CliViewerDocuments,
                         ::testing::Values(ViewerCase{"Ogc", "--ogc", false, false, false},
                                           ViewerCase{"Time", "--time", false, true, false},
                                           ViewerCase{"RateColours", "--color-by rate", false, false, true},
                                           ViewerCase{"KmzOgc", "--kmz --ogc", true, false, false},
                                           ViewerCase{"KmzOgcTimeRateColours", "--kmz --ogc --time --color-by rate",
                                                      true, true, true}),
                         [](const auto& info) { return info.param.name; });

TEST(CliViewerDocumentsEdges, KmzOfThePlainDocumentsAndRefusals) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("JOB.LOG"), ViewerJob());
  const std::string log = ShellQuote(dir.File("JOB.LOG"));
  // Without the other options the zipped documents are the plain ones.
  ASSERT_EQ(RunCli("convert -q " + log).status, 0);
  const std::string plainSwath = testkit::ReadFile(dir.File("JOB_SIC.KML"));
  const auto kmz = RunCli("convert -q --kmz --no-marks " + log);
  ASSERT_EQ(kmz.status, 0) << kmz.err;
  std::string expected = plainSwath;
  expected.replace(expected.find("JOB_SIC.KML"), 11, "JOB_SIC.KMZ");
  EXPECT_EQ(ReadKmz(dir.File("JOB_SIC.KMZ")), expected);
  EXPECT_FALSE(std::filesystem::exists(dir.File("JOB_M.KMZ")));

  const auto unknown = RunCli("convert --color-by speed " + log);
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("--color-by"), std::string::npos) << unknown.err;

  // Without the analysis module the plain documents are written as ever;
  // KMZ archives and the report are refused with the reason, and the
  // archives of an earlier run stay as they were. A copy of the program
  // outside the build tree never looks for the module there, only where
  // its variable says.
  const std::string copy = dir.File("zeltlog-cli");
  std::filesystem::copy_file(ZELTLOG_CLI_PATH, copy);
  const std::string noModule = "ZELTLOG_ANALYSIS_MODULE=" + ShellQuote(dir.File("missing.so")) + " ";
  const std::string earlierSwath = testkit::ReadFile(dir.File("JOB_SIC.KMZ"));
  EXPECT_EQ(RunCli("convert -q " + log, noModule).status, 0);
  for (const std::string& program : {noModule + ShellQuote(ZELTLOG_CLI_PATH), ShellQuote(copy)}) {
    for (const char* command : {" convert -q --kmz ", " report "}) {
      const auto refused = testkit::RunShell(program + command + log);
      EXPECT_EQ(refused.status, 1) << program << command;
      EXPECT_NE(refused.err.find("the module libzeltlog-analysis.so, which could not be loaded (/"), std::string::npos)
          << refused.err;
    }
  }
  EXPECT_EQ(testkit::ReadFile(dir.File("JOB_SIC.KMZ")), earlierSwath);
  const auto named = testkit::RunShell("ZELTLOG_ANALYSIS_MODULE=" + ShellQuote(ZELTLOG_ANALYSIS_MODULE_PATH) + " " +
                                       ShellQuote(copy) + " report " + log);
  EXPECT_EQ(named.status, 0) << named.err;
}

}  // namespace
}  // namespace zeltlog
