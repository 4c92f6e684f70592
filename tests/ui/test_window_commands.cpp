// The window's commands end to end on real files, with the file choices
// injected: "ZELT LOG", "GOOGLE EARTH", "KML to JOB", "EXPORT", "MAP
// REPORT", RECORD, TASKDATA, "Add to archive", the hidden and disabled
// commands, OK after tracking, and choices that are no good.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "converters/bin1_converter.h"
#include "converters/controller_log.h"
#include "converters/event_export.h"
#include "converters/kml_to_job.h"
#include "pipeline/log_conversion.h"
#include "cli_runner.h"
#include "log_builder.h"
#include "temp_dir.h"
#include "ui/file_pick.h"
#include "ui/kml_to_job_dialog.h"
#include "window_harness.h"
#include "xml_check.h"

namespace zeltlog::ui::testing {
namespace {

using testkit::ReadFile;
using testkit::WriteFile;

// A short job: fixes north along a meridian, sprayed, in both position
// formats, one mark, and a text message with 8-bit characters.
std::string SmallLog() {
  testkit::LogBuilder log("ZELT GUIDANCE V4.20");
  log.Frame(250, testkit::TextMessage("Caf\xE9 \x80 5\x81"));
  for (int i = 0; i < 20; ++i) {
    testkit::Fix fix;
    fix.time = testkit::Timestamp::FromTimeOfDay(100.0 + i);
    fix.latitude = 45.0 + i * 0.0001;
    fix.longitude = 9.0;
    fix.altitude = 120.0f;
    fix.speed = 5.0f;
    fix.spray = 1;
    if (i < 10) {
      log.Frame(1, testkit::Position1(fix));
    } else {
      log.Frame(2, testkit::Position2(fix));
    }
    if (i == 5) log.Frame(60, testkit::Mark(0, fix.latitude, fix.longitude, fix.altitude, "Gate"));
  }
  return log.str();
}

constexpr const char* kPolygonKml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Placemark>\n"
    "\t<Polygon>\n\t\t<outerBoundaryIs>\n\t\t\t<LinearRing>\n\t\t\t\t<coordinates>\n"
    "\t\t\t\t\t-1.5,52.25,0 -1.4,52.25,0 -1.4,52.3,0 -1.5,52.25,0 \n"
    "\t\t\t\t</coordinates>\n\t\t\t</LinearRing>\n\t\t</outerBoundaryIs>\n\t</Polygon>\n</Placemark>\n</kml>\n";

class CommandTest : public WindowTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  testkit::TempDir dir;
};

TEST_F(CommandTest, MapReportListsTheCoverageAndOpensTheMapPageBesideTheLog) {
  choices.push_back(Write("R.LOG", SmallLog()));
  Press(id::kMapReport);
  EXPECT_EQ(filters, std::vector<std::string>{kLogFileFilter});
  EXPECT_TRUE(messages.empty()) << messages.front();
  const auto lines = ListLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Version: ZELT GUIDANCE V4.20");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Log:                " + dir.File("R.LOG")), lines.end());
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Sprayed area:", 0) == 0; }));
  EXPECT_FALSE(std::filesystem::exists(dir.File("R.KML")));
  EXPECT_EQ(opened, std::vector<std::string>{dir.File("R_REPORT.html")});
  EXPECT_NE(ReadFile(dir.File("R_REPORT.html")).find("<title>Map report: R.LOG</title>"), std::string::npos);
  // A log that cannot be read gives a message and leaves the window usable.
  choices.push_back(dir.File("GONE.LOG"));
  Press(id::kMapReport);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Cannot report " + dir.File("GONE.LOG"), 0), 0u) << messages[0];
}

// RECORD and TASKDATA write what `report --pdf` and `report --isoxml`
// write, as readers we did not write read them; "Add to archive" stores
// each converted log once, as `archive add` does; a job-info file that
// cannot be taken stops each of them with the command line's message.
TEST_F(CommandTest, RecordTaskDataAndArchiveDoWhatTheCommandLineDoes) {
  const auto job = testkit::BuildSprayJob({1500, 300, false, 3});
  const std::string log = Write("J.LOG", std::string(job.begin(), job.end()));
  setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
  unsetenv("ZELTLOG_ARCHIVE");
  Click(id::kArchiveCheck);
  Tick();  // the spray projection becomes the command line's, 0.2 s
  for (const char* said : {": stored as job 1 (", ": already stored as job 1 ("}) {
    choices.push_back(log);
    Press(id::kZeltLog);
    EXPECT_EQ(ListLines().back().rfind(log + said, 0), 0u) << ListLines().back();
  }
  const auto jobs = testkit::RunShell("ogrinfo -ro -so " + testkit::ShellQuote(dir.File("data/zeltlog/archive.gpkg")) + " jobs");
  EXPECT_NE(jobs.out.find("Feature Count: 1\n"), std::string::npos) << jobs.out << jobs.err;

  const std::string info = Write("job.json", R"({"product": "Glyphosate 450"})");
  choices.push_back(info);
  Press(id::kJobInfo);
  EXPECT_EQ(ListLines().back(), "JOB INFO: " + info);
  const std::string withInfo = " --job-info " + testkit::ShellQuote(info) + " ";
  // The sprayed area as the command line's table prints it.
  const std::string table = testkit::RunCli("report " + testkit::ShellQuote(log)).out;
  const size_t figure = table.find_first_not_of(' ', table.find("Sprayed area:") + 13);
  const std::string sprayed = table.substr(figure, table.find('\n', figure) - figure);
  struct Case {
    int button;
    std::string written, cliOptions, cliWritten, reader;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {id::kRecordPdf, "J_RECORD.pdf", "--pdf", "cli.pdf", "{ pdfinfo FILE | grep 'Page size'; pdftotext -layout FILE -; }",
       {"Glyphosate 450", "Riverside Station", sprayed}},
      {id::kTaskData, "J_TASKDATA.zip", "--isoxml", "cli.zip",
       "python3 -c 'import sys, zipfile, xml.dom.minidom as x; z = zipfile.ZipFile(sys.argv[1]); print(z.namelist()); "
       "print(x.parseString(z.read(\"TASKDATA/TASKDATA.XML\")).toprettyxml())' FILE",
       {"<TSK A=\"TSK1\" B=\"J.LOG\"", "TLG00001.BIN"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    Press(c.button);
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(ListLines().back(), dir.File(c.written) + " written");
    ASSERT_EQ(testkit::RunCli("report" + withInfo + c.cliOptions + " " + testkit::ShellQuote(dir.File(c.cliWritten)) +
                              " " + testkit::ShellQuote(log)).status, 0);
    auto read = [&](const std::string& file) {
      std::string command = c.reader;
      for (size_t at; (at = command.find("FILE")) != std::string::npos;) command.replace(at, 4, testkit::ShellQuote(file));
      return testkit::RunShell(command).out;
    };
    const std::string text = read(dir.File(c.written));
    EXPECT_EQ(text, read(dir.File(c.cliWritten)));
    for (const std::string& expected : c.expected) EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(opened.back(), dir.File("J_RECORD.pdf"));
  // The paper and the units are the locale's: US Letter, acres and US
  // gallons in en_US, where its definition can be compiled.
  const std::string locales = dir.File("locales");
  std::filesystem::create_directory(locales);
  testkit::RunShell("localedef -i en_US -f UTF-8 " + testkit::ShellQuote(locales + "/en_US.UTF-8"));
  if (std::filesystem::exists(locales + "/en_US.UTF-8")) {
    const std::string before = std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "";
    setenv("LOCPATH", locales.c_str(), 1);
    setenv("LC_ALL", "en_US.UTF-8", 1);
    Press(id::kRecordPdf);
    choices.push_back(log);
    Press(id::kMapReport);
    unsetenv("LOCPATH");
    if (before.empty()) unsetenv("LC_ALL");
    else setenv("LC_ALL", before.c_str(), 1);
    const auto pages = testkit::RunShell("pdfinfo " + testkit::ShellQuote(dir.File("J_RECORD.pdf"))).out;
    EXPECT_NE(pages.find("612 x 792 pts (letter)"), std::string::npos) << pages;
    ASSERT_EQ(testkit::RunCli("report --paper letter --units us" + withInfo + "--pdf " +
                              testkit::ShellQuote(dir.File("us.pdf")) + " " + testkit::ShellQuote(log)).status, 0);
    const std::string text = "pdftotext -layout ";
    EXPECT_EQ(testkit::RunShell(text + testkit::ShellQuote(dir.File("J_RECORD.pdf")) + " -").out,
              testkit::RunShell(text + testkit::ShellQuote(dir.File("us.pdf")) + " -").out);
    const auto usTable = testkit::RunCli("report --units us" + withInfo + testkit::ShellQuote(log)).out;
    const auto lines = ListLines();
    const auto sprayedLine =
        std::find_if(lines.rbegin(), lines.rend(), [](const std::string& l) { return l.rfind("Sprayed area:", 0) == 0; });
    ASSERT_NE(sprayedLine, lines.rend());
    EXPECT_NE(usTable.find(*sprayedLine + "\n"), std::string::npos) << *sprayedLine;
    EXPECT_NE(sprayedLine->find(" ac"), std::string::npos) << *sprayedLine;
  }

  // A job-info file broken since it was chosen: each command says what
  // the command line says, and writes and stores nothing.
  testkit::WriteFile(info, "{\"product\": ");
  const auto cli = testkit::RunCli("report" + withInfo + "--pdf " + testkit::ShellQuote(dir.File("no.pdf")) + " " +
                                   testkit::ShellQuote(log));
  for (const char* written : {"J_RECORD.pdf", "J_TASKDATA.zip"}) std::filesystem::remove(dir.File(written));
  for (int button : {id::kRecordPdf, id::kTaskData, id::kZeltLog}) {
    if (button == id::kZeltLog) choices.push_back(log);
    Press(button);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ("zeltlog-cli: " + messages.back() + "\n", cli.err);
  }
  EXPECT_EQ(messages.size(), 3u);
  for (const char* written : {"J_RECORD.pdf", "J_TASKDATA.zip", "no.pdf"}) EXPECT_FALSE(std::filesystem::exists(dir.File(written)));
  EXPECT_EQ(ListLines().back().rfind("Start:", 0), 0u) << ListLines().back();
  unsetenv("XDG_DATA_HOME");
}

TEST_F(CommandTest, ZeltLogConvertsTheChosenLogAndShowsItsDocuments) {
  choices.push_back(Write("J.LOG", SmallLog()));
  Press(id::kZeltLog);

  EXPECT_EQ(filters, std::vector<std::string>{kLogFileFilter});
  EXPECT_TRUE(messages.empty()) << messages.front();
  // The list shows every line of the run, 8-bit texts as Windows-1252.
  const auto lines = ListLines();
  ASSERT_EQ(lines.size(), window->events().size());
  ASSERT_GT(lines.size(), 20u);
  EXPECT_EQ(lines.front(), "Version: ZELT GUIDANCE V4.20");
  // A byte the code page leaves undefined stands for itself.
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Caf\xC3\xA9 \xE2\x82\xAC 5\xC2\x81"), lines.end());
  EXPECT_EQ(lines.back().rfind("Start:100.000, End:119.000, 20, records", 0), 0u) << lines.back();

  const ConversionSession& s = window->session();
  EXPECT_EQ(s.goodRecordCount, 22);
  EXPECT_EQ(FieldText(id::kRecordCount), "22");
  EXPECT_EQ(FieldText(id::kChosenPath), dir.File("J.LOG"));
  EXPECT_EQ(FieldText(id::kPositionFormat), "POS2");
  for (const char* name : {"J.KML", "J_SIC.KML", "J_M.KML"}) {
    std::string error;
    EXPECT_TRUE(testkit::IsWellFormedXml(ReadFile(dir.File(name)), &error)) << name << ": " << error;
  }
  EXPECT_NE(ReadFile(dir.File("J_M.KML")).find("Gate"), std::string::npos);
  // The viewer gets the swath, the flight path and the marks, a second apart.
  EXPECT_EQ(opened, (std::vector<std::string>{dir.File("J_SIC.KML"), dir.File("J.KML"), dir.File("J_M.KML")}));
  EXPECT_EQ(pauses, (std::vector<int>{1000, 1000}));

  // A cancelled choice changes nothing.
  Press(id::kZeltLog);
  EXPECT_EQ(ListLines(), lines);
  EXPECT_EQ(FieldText(id::kChosenPath), dir.File("J.LOG"));
}

TEST_F(CommandTest, GoogleEarthOpensAnyChosenKmlAndKeepsItsPathForTheNextRefresh) {
  const std::string kml = Write("map.KML", kPolygonKml);
  choices.push_back(kml);
  Press(id::kGoogleEarth);
  EXPECT_EQ(filters, std::vector<std::string>{kKmlFileFilter});
  EXPECT_EQ(extensions, std::vector<std::string>{"KML"});
  EXPECT_EQ(opened, std::vector<std::string>{kml});
  EXPECT_EQ(window->session().chosenLogPath, kml);
  EXPECT_EQ(FieldText(id::kChosenPath), "");
  Tick();
  EXPECT_EQ(FieldText(id::kChosenPath), kml);

  Press(id::kGoogleEarth);  // cancelled
  EXPECT_EQ(opened.size(), 1u);
}

TEST_F(CommandTest, ExportSavesTheListInTheFolderOfTheFileLastChosen) {
  Click(id::kMarksCheck);
  choices.push_back(Write("any.KML", kPolygonKml));
  Press(id::kGoogleEarth);
  Press(id::kExport);
  EXPECT_EQ(ReadFile(dir.File("DATA.DAT")), std::string(kEventListHeader.substr(0, kEventListHeader.size() - 1)) +
                                                "\r\nMARK OFF\r\nBOUNDARY OFF\r\n");
  EXPECT_EQ(messages, std::vector<std::string>{"DATA.DAT Closed, count 2"});
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(ListCount(), 2);
}

class KmlToJobTest : public CommandTest {
 protected:
  // Runs the job dialog as a user would: `act` fills it in, then OK is
  // pressed; a dialog that refuses OK is cancelled.
  void AnswerDialog(std::function<void(KmlToJobDialog&)> act, bool pressOk = true) {
    onModal = [this, act, pressOk](wxDialog& dialog) {
      auto* job = dynamic_cast<KmlToJobDialog*>(&dialog);
      if (job == nullptr) return wxID_CANCEL;
      dialog.Show();
      seenName = job->nameField()->GetValue().utf8_string();
      seenExclude = job->excludeButton()->GetValue();
      act(*job);
      PressIn(&dialog, pressOk ? wxID_OK : wxID_CANCEL);
      if (!dialog.IsShown()) return pressOk ? wxID_OK : wxID_CANCEL;
      PressIn(&dialog, wxID_CANCEL);
      return wxID_CANCEL;
    };
  }
  std::string seenName;
  bool seenExclude = false;
};

TEST_F(KmlToJobTest, DialogShowsTheJobOptionsAsTheTemplateHasThem) {
  std::vector<std::string> captions;
  onModal = [&](wxDialog& dialog) {
    auto& job = dynamic_cast<KmlToJobDialog&>(dialog);
    dialog.Show();
    captions = CaptionsIn(&dialog);
    EXPECT_EQ(job.nameField()->GetValue(), "A");
    EXPECT_TRUE(job.includeButton()->GetValue());
    EXPECT_FALSE(job.numberField()->IsShown());
    EXPECT_FALSE(job.numberSpin()->IsShown());
    EXPECT_EQ(job.numberSpin()->GetMin(), 0);
    EXPECT_EQ(job.numberSpin()->GetMax(), 999);
    EXPECT_EQ(job.numberSpin()->GetValue(), 1);
    EXPECT_EQ(job.numberField()->GetValue(), "1");
    // The name field takes 20 characters at most.
    job.nameField()->ChangeValue("ABCDEFGHIJKLMNOPQRSTU");
    EXPECT_LE(job.nameField()->GetValue().length(), 20u);
    return wxID_CANCEL;
  };
  Press(id::kKmlToJob);
  EXPECT_EQ(modalTitles, std::vector<std::string>{"KML to JOB"});
  // Wrapped texts keep their words; a line break stands where a blank was.
  for (auto& caption : captions) std::replace(caption.begin(), caption.end(), '\n', ' ');
  for (const char* expected : {kJobNameBoxCaption, "INCLUDE", "EXCLUDE", kPolygonNote, kJobNameNote, "OK", "Cancel"}) {
    EXPECT_NE(std::find(captions.begin(), captions.end(), expected), captions.end()) << expected;
  }
  // Cancel ends the command before any chooser.
  EXPECT_TRUE(filters.empty());
}

TEST_F(KmlToJobTest, WritesTheJobFileBesideTheKmlAndKeepsTheOptions) {
  AnswerDialog([this](KmlToJobDialog& job) {
    job.nameField()->ChangeValue("12");
    ClickRadio(job.excludeButton());
  });
  choices.push_back(Write("field.KML", kPolygonKml));
  Press(id::kKmlToJob);
  EXPECT_EQ(filters, std::vector<std::string>{kKmlToJobFilter});
  EXPECT_EQ(extensions, std::vector<std::string>{"KML"});
  EXPECT_EQ(messages, std::vector<std::string>{"12"});
  EXPECT_EQ(ReadFile(dir.File("12")),
            ".JOB 12 NONE\r\n.VERSION 1\r\n.POL 1\r\n\tEXC\r\n"
            "\t52.25000000000000 -1.50000000000000\r\n\t52.25000000000000 -1.40000000000000\r\n"
            "\t52.30000000000000 -1.40000000000000\r\n\t52.25000000000000 -1.50000000000000\r\n");
  const auto lines = ListLines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], ".JOB 12 NONE\n");
  EXPECT_EQ(lines[3], "EXC");
  EXPECT_EQ(lines[8], "JOB FILE CLOSED");

  // The dialog reopens with the last values; Cancel keeps everything.
  AnswerDialog([](KmlToJobDialog&) {}, false);
  Press(id::kKmlToJob);
  EXPECT_EQ(seenName, "12");
  EXPECT_TRUE(seenExclude);
  EXPECT_EQ(filters.size(), 1u);

  // A click on INCLUDE is kept at once, even when the dialog is cancelled.
  AnswerDialog(
      [this](KmlToJobDialog& job) {
        job.nameField()->ChangeValue("99");
        ClickRadio(job.includeButton());
      },
      false);
  Press(id::kKmlToJob);
  EXPECT_EQ(window->jobOptions().boundaryKind, 0);
  EXPECT_EQ(window->jobOptions().jobName, "12");
}

TEST_F(CommandTest, HiddenAndDisabledCommandsAreWiredToTheirCommands) {
  // BIN1 to KML: a GPS message log becomes a CSV and three walls.
  choices.push_back(Write("gps.BIN", [] {
    const auto frame = testkit::Bin1Frame({});
    return std::string(frame.begin(), frame.end());
  }()));
  Press(id::kBin1ToKml);
  EXPECT_EQ(filters.back(), kBin1FileFilter);
  EXPECT_TRUE(std::filesystem::exists(dir.File("gps.CSV")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("gps_SATS.KML")));

  // Process out from RQ7: the type-1 blocks of a controller log.
  choices.push_back(Write("rq7.BIN", [] {
    const auto block = testkit::ControllerBlock(1, 2, 1, 4, testkit::Bytes(10, 0x55), 10);
    return std::string(block.begin(), block.end());
  }()));
  Press(id::kRq7);
  EXPECT_EQ(filters.back(), kControllerLogFilter);
  EXPECT_EQ(ReadFile(dir.File("rq7P.BIN")), std::string(10, '\x55'));

  // FLYDEX JOB to KML: opens the job file and clears the list.
  choices.push_back(Write("7", ".JOB 7 NONE\n"));
  Press(id::kJobToKml);
  EXPECT_EQ(ListCount(), 0);
  EXPECT_EQ(window->session().chosenLogPath, dir.File("7"));

  // The file-pick buttons: ZELT DISP shows its path at once.
  choices.push_back(Write("a.T01", "x"));
  Press(id::kZeltDisp);
  EXPECT_EQ(FieldText(id::kChosenPath), dir.File("a.T01"));
  choices.push_back(Write("b.SHP", "x"));
  Press(id::kQgis);
  choices.push_back(Write("c.HTML", "x"));
  Press(id::kGoogleMaps);
  choices.push_back(Write("d.SHP", "x"));
  Press(id::kShapeWithTable);
  EXPECT_EQ(window->session().chosenLogPath, dir.File("d.SHP"));
  EXPECT_EQ(opened, (std::vector<std::string>{dir.File("b.SHP"), dir.File("c.HTML")}));
  EXPECT_EQ(std::vector<std::string>(filters.end() - 4, filters.end()),
            (std::vector<std::string>{kDisplayFileFilter, kShapeFileFilter, kMapPageFilter, kShapeWithTableFilter}));
  EXPECT_EQ(std::vector<std::string>(extensions.end() - 4, extensions.end()),
            (std::vector<std::string>{"T*", "SHP", "HTML", "SHP"}));

  // The buttons without an action start nothing.
  const size_t asked = filters.size();
  for (int id : {id::kDebugButton, id::kBrowserButton, id::kMapsOfKml}) Press(id);
  EXPECT_EQ(filters.size(), asked);
  EXPECT_TRUE(messages.empty());
}

TEST_F(CommandTest, OkClosesATrackedLogThenEndsTheWindow) {
  choices.push_back(Write("live.LOG", SmallLog()));
  Press(id::kTracking);
  EXPECT_EQ(ListLines(), std::vector<std::string>{"Version: ZELT GUIDANCE V4.20"});
  EXPECT_TRUE(window->trackedLog().reader.IsOpen());

  Press(id::kOk);
  EXPECT_FALSE(window->trackedLog().reader.IsOpen());
  EXPECT_TRUE(window->ended());
  EXPECT_EQ(window->endCode(), id::kOk);
}

TEST_F(CommandTest, OkWithoutTrackingEndsTheWindowAndTouchesNoFile) {
  Press(id::kOk);
  EXPECT_TRUE(window->ended());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_TRUE(filters.empty());
}

TEST_F(CommandTest, ChoicesThatAreNoGoodGiveAMessageAndLeaveTheWindowUsable) {
  // A folder as the log.
  std::filesystem::create_directory(dir.File("folder.LOG"));
  choices.push_back(dir.File("folder.LOG"));
  Press(id::kZeltLog);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(dir.File("folder.LOG")), std::string::npos) << messages[0];
  EXPECT_TRUE(opened.empty());

  // A KML as the log.
  choices.push_back(Write("map.KML", kPolygonKml));
  Press(id::kZeltLog);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[1].find(dir.File("map.KML")), std::string::npos) << messages[1];

  // A binary file and a folder as the KML of a job.
  onModal = [](wxDialog&) { return wxID_OK; };
  choices.push_back(Write("noise.KML", SmallLog()));
  Press(id::kKmlToJob);
  EXPECT_EQ(messages.back(), kKmlHasNoPolygonMessage);
  choices.push_back(dir.File("folder.LOG"));
  Press(id::kKmlToJob);
  EXPECT_NE(messages.back().find("KML"), std::string::npos) << messages.back();

  // The window still does its work.
  choices.push_back(Write("good.LOG", SmallLog()));
  Press(id::kZeltLog);
  EXPECT_EQ(FieldText(id::kRecordCount), "22");
  Press(id::kExport);
  EXPECT_TRUE(std::filesystem::exists(dir.File("DATA.DAT")));
  EXPECT_FALSE(window->ended());
}

TEST_F(CommandTest, AMillionLinesListAtOnce) {
  for (int i = 0; i < 1000000; ++i) window->platform().AddEvent(EventKind::Progress, std::to_string(i));
  Press(id::kGoogleEarth);  // any command ends by showing the list
  EXPECT_EQ(ListCount(), 1000000);
  auto* list = dynamic_cast<wxListCtrl*>(Control(id::kEventList));
  EXPECT_EQ(list->GetItemText(999999), "999999");
  list->EnsureVisible(999999);
  Settle();
}

}  // namespace
}  // namespace zeltlog::ui::testing
