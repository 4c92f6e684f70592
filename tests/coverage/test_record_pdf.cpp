// The proof of application, read back by poppler's and qpdf's tools: a
// sound file, the paper asked for, every font embedded, every value of the
// record and the figures as the table prints them in its text, and a first
// page whose map is drawn in the rate bins' colours.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "testkit.h"
#include "coverage/coverage.h"
#include "coverage/coverage_sink.h"
#include "coverage/ellipsoid_area.h"
#include "coverage/record_pdf.h"
#include "job_record/application_record_sink.h"
#include "pipeline/log_conversion.h"

namespace zeltlog {
namespace {

struct Job {
  JobRecord record;
  CoverageReport report;
  MapLayers layers;
  std::vector<CollectedMark> marks;
};

Job ExampleJob() {
  Job job;
  testkit::RecordingPlatform platform;
  ConversionSession session(platform, platform, platform);
  session.options.sprayProjection = 0.2;  // the CLI's
  CoverageSink coverage;
  ApplicationRecordSink record;
  EXPECT_TRUE(RunLogAnalysis(session, ZELTLOG_SOURCE_DIR "/examples/SPRAYJOB.LOG", {&coverage, &record}).Succeeded());
  // The field differs from the log's.
  job.record = MergeJobInfo(record.Record(), {.product = "Glyphosate 450", .activeConstituents = {"450 g/l glyphosate"},
                                              .applicator = "Nguyen Aerial", .licence = "AA-1234", .field = "Paddock 7 South"});
  job.report = ComputeCoverage(coverage.data());
  job.report.log = "SPRAYJOB.LOG";
  job.layers = ComputeMapLayers(coverage.data());
  job.marks = coverage.data().marks;
  return job;
}

// A job of `runs` runs and nothing to draw, whose texts are long, not
// ASCII, or not understood.
Job RunsJob(int runs) {
  Job job;
  ApplicationRecord& r = job.record.record;
  r.farm = "Gro\xC3\x9F" "e Wiese \xE2\x80\x93 Nord";
  r.field = "Schlag 12";
  r.operatorName = "Zo\xC3\xAB Brennan";
  r.date = "2024-09-30";
  r.start = "2024-09-30T06:10:00";
  r.notes = {{204, 0, "Headland sprayed last; wind eased after the third tank, " + std::string(40, 'x') + " end"}};
  r.weather.push_back({"06:10:00", {"gusty", std::nullopt}, {"SW", 225.0}, {"65 F", 18.33}, {"54 %", 54.0}});
  job.record.info.extra = {{"job number", "J-0519"}};
  for (int i = 1; i <= runs; ++i) job.report.runs.push_back({i, 22000.0 + 90 * i, 22060.0 + 90 * i, 0.5 + i / 1e4, 0.5});
  job.report.log = "LONG.LOG";
  return job;
}

// A job whose job-info file gives one value of some pages' length.
Job LongValueJob() {
  Job job = RunsJob(3);
  std::string remarks;
  for (int i = 0; i < 4000; ++i) remarks += (i ? " w" : "w") + std::to_string(10000 + i);
  job.record.info.extra.push_back({"remarks", remarks});
  job.report.log = "REMARKS.LOG";
  return job;
}

// The words of `text`, one space apart.
std::string Normalized(const std::string& text) {
  std::istringstream words(text);
  std::string out;
  for (std::string word; words >> word;) out += (out.empty() ? "" : " ") + word;
  return out;
}

std::string Field(const std::string& text, const std::string& key) {
  const size_t at = text.find(key);
  if (at == std::string::npos) return "";
  const size_t start = text.find_first_not_of(' ', at + key.size());
  return text.substr(start, text.find('\n', start) - start);
}

TEST(RecordPdf, ReadersFindTheRecordTheFiguresAndTheMap) {
  for (const char* tool : {"qpdf", "pdfinfo", "pdffonts", "pdftotext", "pdftoppm"}) {
    if (std::system(("command -v " + std::string(tool) + " >/dev/null").c_str()) != 0) {
      GTEST_SKIP() << "needs " << tool << " (scripts/bootstrap)";
    }
  }
  const Job example = ExampleJob();
  struct Case {
    const Job job;
    PaperSize paper;
    ReportUnits units;
    const char* size;  // as pdfinfo gives it
    int fewestPages, mostPages;
  };
  const Case cases[] = {
      {example, PaperSize::A4, ReportUnits::Metric, "595 x 842 pts (A4)", 2, 2},
      {example, PaperSize::Letter, ReportUnits::Us, "612 x 792 pts (letter)", 2, 2},
      {RunsJob(60), PaperSize::A4, ReportUnits::Metric, "595 x 842 pts (A4)", 2, 2},
      {RunsJob(60), PaperSize::Letter, ReportUnits::Metric, "612 x 792 pts (letter)", 2, 2},
      {RunsJob(400), PaperSize::A4, ReportUnits::Metric, "595 x 842 pts (A4)", 4, 5},
      {LongValueJob(), PaperSize::Letter, ReportUnits::Metric, "612 x 792 pts (letter)", 10, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.job.report.log + " on " + c.size);
    const RecordPdf pdf = DrawRecordPdf({c.job.record, c.job.report, c.job.layers, c.job.marks, c.job.report.log,
                                         std::string(64, 'e'), "9.8.7", c.paper, c.units});
    ASSERT_EQ(pdf.error, "");
    testkit::TempDir dir;
    const std::string file = dir.File("record.pdf");
    testkit::WriteFile(file, pdf.bytes);
    const std::string quoted = testkit::ShellQuote(file);
    EXPECT_EQ(testkit::RunShell("qpdf --check " + quoted).status, 0);

    const std::string info = testkit::RunShell("pdfinfo " + quoted).out;
    EXPECT_EQ(Field(info, "Page size:"), c.size);
    const int pages = std::atoi(Field(info, "Pages:").c_str());
    EXPECT_GE(pages, c.fewestPages);
    EXPECT_LE(pages, c.mostPages);

    // Every font embedded: the "emb" column, after the two head lines.
    const auto fonts = testkit::SplitLines(testkit::RunShell("pdffonts " + quoted).out);
    ASSERT_GT(fonts.size(), 2u);
    for (size_t i = 2; i < fonts.size(); ++i) {
      if (fonts[i].empty()) continue;
      EXPECT_NE(fonts[i].find("DejaVuSans"), std::string::npos) << fonts[i];
      std::istringstream columns(fonts[i].substr(fonts[i].find(' ')));
      std::vector<std::string> words;
      for (std::string word; columns >> word;) words.push_back(word);
      ASSERT_GE(words.size(), 5u);
      EXPECT_EQ(words[words.size() - 5], "yes") << fonts[i];
    }

    const std::string text = Normalized(testkit::RunShell("pdftotext " + quoted + " -").out);
    const ApplicationRecord& r = c.job.record.record;
    const JobInfo& j = c.job.record.info;
    std::vector<std::string> values = {r.farm, r.field, r.operatorName, r.machine, r.operation, r.crop,
                                       r.prescriptionMap, r.consoleVersion, r.applicationVersion, r.date, r.start,
                                       r.finish, r.created, r.updated, j.product, j.applicator, j.licence,
                                       std::string(64, 'e'), "ZELTLOG 9.8.7", c.job.report.log};
    for (const JobNote& note : r.notes) values.push_back(note.text);
    for (const WeatherObservation& o : r.weather) {
      values.insert(values.end(), {o.time, o.windSpeed.logged, o.windDirection.logged, o.temperature.logged,
                                   o.humidity.logged});
    }
    for (const auto& [name, value] : j.extra) values.insert(values.end(), {name, value});
    for (const RecordDifference& d : c.job.record.differences) values.push_back(d.fileValue);
    for (const ReportLine& line : ReportFigureLines(c.job.report, c.units)) values.push_back(line.value);
    if (r.timeZone) values.push_back("UTC+10:00");
    for (const std::string& value : values) {
      // A value of pages has the pages' footers among its words: its two ends.
      const std::string words = Normalized(value);
      for (const std::string& part : words.size() < 1000 ? std::vector{words} : std::vector{words.substr(0, 60), words.substr(words.size() - 60)}) {
        if (!part.empty()) {
          EXPECT_NE(text.find(part), std::string::npos) << part;
        }
      }
    }
    // Every word on its page: none runs off the bottom.
    const std::string boxes = testkit::RunShell("pdftotext -bbox " + quoted + " -").out;
    double pageHeight = 0.0;
    size_t words = 0;
    for (const std::string& line : testkit::SplitLines(boxes)) {
      double low = 0.0, high = 0.0;
      if (std::sscanf(line.c_str(), " <page width=\"%*f\" height=\"%lf\"", &pageHeight) == 1) continue;
      if (std::sscanf(line.c_str(), " <word xMin=\"%*f\" yMin=\"%lf\" xMax=\"%*f\" yMax=\"%lf\"", &low, &high) != 2) continue;
      ++words;
      EXPECT_TRUE(low >= 0.0 && high <= pageHeight) << line;
    }
    EXPECT_GT(words, 100u);
    // The runs table's rows, read as laid out.
    const std::string layout = Normalized(testkit::RunShell("pdftotext -layout " + quoted + " -").out);
    for (const RunRow& row : RunTableRows(c.job.report, c.units)) {
      const std::string cells = row[0] + " " + row[1] + " " + row[2] + " " + row[3] + " " + row[4];
      EXPECT_NE(layout.find(cells), std::string::npos) << cells;
    }

    // The first page drawn: not blank, and where the map lies (below the
    // header, above the legend) the colour of every rate bin that covers
    // a good part of the sprayed ground.
    ASSERT_EQ(std::system(("pdftoppm -r 36 -f 1 -l 1 -singlefile " + quoted + " " + testkit::ShellQuote(dir.File("page"))).c_str()), 0);
    const std::string image = testkit::ReadFile(dir.File("page.ppm"));
    int width = 0, height = 0, maximum = 0, header = 0;
    ASSERT_EQ(std::sscanf(image.c_str(), "P6 %d %d %d%n", &width, &height, &maximum, &header), 3);
    const auto* pixels = reinterpret_cast<const unsigned char*>(image.data() + header + 1);
    ASSERT_GE(image.size(), header + 1 + size_t(width) * height * 3);
    size_t inked = 0;
    for (size_t i = 0; i < size_t(width) * height; ++i) inked += pixels[3 * i] + pixels[3 * i + 1] + pixels[3 * i + 2] < 600;
    EXPECT_GT(inked, size_t(width) * height / 50);
    const double sprayed = c.job.report.sprayedAreaHa * 1e4;
    for (const RateBinGround& bin : c.job.layers.rates) {
      if (MultiPolygonArea(bin.ground) < sprayed / 100) continue;
      unsigned colour[3];
      std::sscanf(LookOf(bin.bin).legendColour, "#%2x%2x%2x", &colour[0], &colour[1], &colour[2]);
      size_t found = 0;
      for (int y = height / 5; y < height * 3 / 5; ++y) {
        for (int x = 0; x < width; ++x) {
          const unsigned char* p = pixels + 3 * (size_t(y) * width + x);
          bool near = true;
          for (int k = 0; k < 3; ++k) near = near && std::abs(int(p[k]) - int(colour[k])) <= 8;
          found += near;
        }
      }
      EXPECT_GT(found, 200u) << LookOf(bin.bin).label;
    }
  }
}

// The CLI's PDF of each log, named as --export names them, on the paper
// asked for, with the job-info file's values, the log's digest and the
// program's version.
TEST(RecordPdf, OneForEachLogFromTheCommandLine) {
  if (std::system("command -v pdftotext >/dev/null && command -v pdfinfo >/dev/null") != 0) {
    GTEST_SKIP() << "needs poppler-utils (scripts/bootstrap)";
  }
  testkit::TempDir dir;
  const std::string example = ZELTLOG_SOURCE_DIR "/examples/SPRAYJOB.LOG";
  std::filesystem::copy_file(example, dir.File("SPRAYJOB.LOG"));
  std::filesystem::copy_file(example, dir.File("COPY.LOG"));
  testkit::WriteFile(dir.File("info.json"), R"({"product": "Glyphosate 450", "licence": "AA-1234"})");
  const auto run = testkit::RunCli("report --pdf " + testkit::ShellQuote(dir.File("r.pdf")) + " --paper letter " +
                                   "--job-info " + testkit::ShellQuote(dir.File("info.json")) + " " +
                                   testkit::ShellQuote(dir.File("SPRAYJOB.LOG")) + " " +
                                   testkit::ShellQuote(dir.File("COPY.LOG")));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string version = testkit::RunCli("--version").out;
  const std::string sha256 = testkit::RunShell("sha256sum " + testkit::ShellQuote(example)).out.substr(0, 64);
  for (const char* name : {"r_SPRAYJOB.pdf", "r_COPY.pdf"}) {
    SCOPED_TRACE(name);
    const std::string file = testkit::ShellQuote(dir.File(name));
    EXPECT_NE(run.out.find("\n" + dir.File(name) + "\n"), std::string::npos) << run.out;
    EXPECT_EQ(Field(testkit::RunShell("pdfinfo " + file).out, "Page size:"), "612 x 792 pts (letter)");
    const std::string text = testkit::RunShell("pdftotext " + file + " -").out;
    for (const std::string& value : {std::string("Glyphosate 450"), std::string("AA-1234"), sha256,
                                     "ZELTLOG " + version.substr(std::string("zeltlog-cli ").size(), 5)}) {
      EXPECT_NE(text.find(value), std::string::npos) << value;
    }
  }
}

}  // namespace
}  // namespace zeltlog
