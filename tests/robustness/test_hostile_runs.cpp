// What a hostile or unlucky user tries: outputs named like the inputs,
// inputs that are no regular files, interrupted runs, a reader that goes
// away, a closed or full standard output, parts of a parallel run whose
// names are taken, replaced documents with private modes, names without
// an extension, binary headers and impossible fixes. Each ends with the
// documented exit status, and nothing is overwritten or left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>

#include "testkit.h"
#include "core/output_names.h"
#include "robustness_inputs.h"

namespace zeltlog {
namespace {

using testkit::PipedRun;

const std::string kCli = ShellQuote(ZELTLOG_CLI_PATH);

// `arguments` with each {name} replaced by that file of `folder`, quoted.
std::string InFolder(const testkit::TempDir& folder, std::string arguments) {
  for (size_t open; (open = arguments.find('{')) != std::string::npos;) {
    const size_t close = arguments.find('}', open);
    arguments.replace(open, close - open + 1, ShellQuote(folder.File(arguments.substr(open + 1, close - open - 1))));
  }
  return arguments;
}

class HostileRuns : public ::testing::Test {
 protected:
  std::string F(const std::string& name) const { return dir.File(name); }
  std::string Q(const std::string& name) const { return ShellQuote(dir.File(name)); }
  testkit::TempDir dir;
};

// An output that is an input, or another output: refused before anything
// is written, both files named, exit 1.
TEST_F(HostileRuns, OutputsThatAreInputsOrEachOther) {
  const std::string log = JobLog(300);
  const testkit::Bytes fix = testkit::Bin1Frame(testkit::Bin1Fix{});
  const std::string polygon = "<coordinates>\n1,2 3,4 5,6\n</coordinates>\n";
  struct Case {
    const char* name;
    std::map<std::string, std::string> files;  // written before the run
    std::vector<std::pair<std::string, std::string>> links;  // hard link, target
    std::vector<std::pair<std::string, std::string>> symlinks;
    std::string arguments;
    std::string output, other;  // the two files the message names
    bool otherIsInput;
  };
  const Case cases[] = {
      {"log named like its own output", {{"X.KML", log}}, {}, {}, "convert {X.KML}", "X.KML", "X.KML", true},
      {"event list over the log", {{"C.LOG", log}}, {}, {}, "convert --events {C.LOG} {C.LOG}", "C.LOG", "C.LOG", true},
      {"CSV as the GPS log", {{"Y.CSV", Str(fix)}}, {}, {}, "bin1 {Y.CSV}", "Y.CSV", "Y.CSV", true},
      {"job named like its KML", {{"P.kml", polygon}}, {}, {}, "kml-to-job {P.kml} --name P.kml", "P.kml", "P.kml",
       true},
      {"event list over a document", {{"A.LOG", log}}, {}, {}, "convert --events {A.KML} {A.LOG}", "A.KML", "A.KML",
       false},
      {"document hard-linked to the log", {{"L.LOG", log}}, {{"L_SIC.KML", "L.LOG"}}, {}, "convert {L.LOG}",
       "L_SIC.KML", "L.LOG", true},
      {"output linked to the input", {{"R.BIN", Str(fix)}}, {}, {{"RP.BIN", "R.BIN"}}, "rq7 {R.BIN}", "RP.BIN",
       "R.BIN", true},
      {"one log twice", {{"D.LOG", log}}, {}, {}, "convert -j 2 {D.LOG} {./D.LOG}", "./D.KML", "D.KML", false},
      // A report's export writes a file per layer, and a Shapefile's companions.
      {"field named like a layer", {{"F.LOG", log}, {"pad_field.geojson", "{}"}}, {}, {},
       "report --field {pad_field.geojson} --export {pad.geojson} {F.LOG}", "pad_field.geojson", "pad_field.geojson",
       true},
      {"log named like a layer", {{"out_swaths.geojson", log}}, {}, {}, "report --export {out.geojson} {out_swaths.geojson}",
       "out_swaths.geojson", "out_swaths.geojson", true},
      {"log named like a Shapefile", {{"x_path.shp", log}}, {}, {}, "report --export {x.shp} {x_path.shp}", "x_path.shp",
       "x_path.shp", true},
      {"log named like a companion", {{"x_marks.dbf", log}}, {}, {}, "report --export {x.shp} {x_marks.dbf}",
       "x_marks.dbf", "x_marks.dbf", true},
      {"log named like the metadata", {{"x-metadata.json", log}}, {}, {}, "report --export {x.gpkg} {x-metadata.json}",
       "x-metadata.json", "x-metadata.json", true},
      {"map page over a layer", {{"M.LOG", log}}, {}, {}, "report --export {m.fgb} --html {m_coverage.fgb} {M.LOG}",
       "m_coverage.fgb", "m_coverage.fgb", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testkit::TempDir here;
    for (const auto& [name, bytes] : c.files) WriteFile(here.File(name), bytes);
    for (const auto& [name, target] : c.links) std::filesystem::create_hard_link(here.File(target), here.File(name));
    for (const auto& [name, target] : c.symlinks) std::filesystem::create_symlink(here.File(target), here.File(name));
    const std::string arguments = InFolder(here, c.arguments);
    const auto before = Snapshot(here.path());
    const auto result = RunCli(arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zeltlog-cli: " + here.File(c.output) + ": is the same file as the " +
                              (c.otherIsInput ? "input " : "output ") + here.File(c.other) + ": nothing written\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Snapshot(here.path()), before);
  }
}

// An output named by a symbolic link: the link stays, and the file it leads
// to, or a new one in that folder, is replaced. A link to anything else,
// or one that another user planted in a shared folder, is refused, exit 1,
// and nothing changes.
TEST_F(HostileRuns, OutputsThatAreSymbolicLinks) {
  const std::string log = JobLog(300);
  const uid_t keep = static_cast<uid_t>(-1);
  struct Case {
    const char* name;
    std::string link, target;      // in a fresh folder with "away/" and "shared/" (mode 1777)
    uid_t linkOwner, folderOwner;  // of the link and of "shared/", as root
    std::string arguments;
    int status;
    std::string message;  // part of standard error
    std::string start;    // of the target's new bytes
  };
  const std::string device = "not a regular file (--events - writes to standard output)";
  const Case cases[] = {
      {"event list into a file elsewhere", "EV.DAT", "away/EV.DAT", keep, keep, "convert --events {EV.DAT} {J.LOG}", 0,
       "", "VRC,"},
      {"document into a new file elsewhere", "J_M.KML", "away/NEW.KML", keep, keep, "convert {J.LOG}", 0, "", "<?xml"},
      {"KMZ into a file elsewhere", "J.KMZ", "away/EARLIER.KMZ", keep, keep, "convert --kmz {J.LOG}", 0, "", "PK"},
      {"map page into a file elsewhere", "MAP.HTML", "away/MAP.HTML", keep, keep, "report --html {MAP.HTML} {J.LOG}",
       0, "", "<!DOCTYPE"},
      {"GIS layer into a file elsewhere", "X_path.geojson", "away/LAYER.geojson", keep, keep,
       "report --export {X.geojson} {J.LOG}", 0, "", "{"},
      {"GIS layer into a device", "X_path.geojson", "/dev/null", keep, keep, "report --export {X.geojson} {J.LOG}", 1,
       "X_path.geojson: cannot be written: cannot write where its symbolic link leads: not a regular file", ""},
      {"event list into a device", "EV.DAT", "/dev/null", keep, keep, "convert --events {EV.DAT} {J.LOG}", 1, device,
       ""},
      {"event list into this process's standard output", "EV.DAT", "/proc/self/fd/1", keep, keep,
       "convert --events {EV.DAT} {J.LOG}", 1, device, ""},
      {"document into a FIFO", "J_SIC.KML", "away/PIPE", keep, keep, "convert {J.LOG}", 1,
       "J_SIC.KML: cannot be written: not a regular file", ""},
      {"link of another user in a shared folder", "shared/EV.DAT", "../away/EV.DAT", 4242, keep,
       "convert --events {shared/EV.DAT} {J.LOG}", 1, "a symbolic link of another user in a shared folder", ""},
      {"link of the shared folder's owner", "shared/EV.DAT", "../away/EV.DAT", 4243, 4243,
       "convert --events {shared/EV.DAT} {J.LOG}", 0, "", "VRC,"},
      {"own link in a shared folder", "shared/EV.DAT", "../away/EV.DAT", keep, keep,
       "convert --events {shared/EV.DAT} {J.LOG}", 0, "", "VRC,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if ((c.linkOwner != keep || c.folderOwner != keep) && geteuid() != 0) continue;
    testkit::TempDir here;
    WriteFile(here.File("J.LOG"), log);
    std::filesystem::create_directory(here.File("away"));
    std::filesystem::create_directory(here.File("shared"));
    ASSERT_EQ(chmod(here.File("shared").c_str(), 01777), 0);
    ASSERT_EQ(mkfifo(here.File("away/PIPE").c_str(), 0600), 0);
    for (const char* earlier : {"away/EV.DAT", "away/EARLIER.KMZ", "away/MAP.HTML", "away/LAYER.geojson"}) WriteFile(here.File(earlier), "earlier");
    std::filesystem::create_symlink(c.target, here.File(c.link));
    ASSERT_EQ(lchown(here.File(c.link).c_str(), c.linkOwner, keep), 0);
    ASSERT_EQ(chown(here.File("shared").c_str(), c.folderOwner, keep), 0);
    const std::string folder = FolderOf(c.link);
    const std::string leadsTo = c.target.front() == '/' ? c.target : here.File(folder.empty() ? c.target : folder + "/" + c.target);
    const bool regular = c.target.rfind("away/", 0) == 0 || c.target.rfind("../away/", 0) == 0;
    const std::string before = regular && std::filesystem::is_regular_file(leadsTo) ? ReadFile(leadsTo) : "";
    const std::string arguments = InFolder(here, c.arguments);
    const auto result = RunCli(arguments);
    EXPECT_EQ(result.status, c.status) << result.err;
    if (!c.message.empty()) {
      EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(here.File(c.link)));
    EXPECT_EQ(std::filesystem::read_symlink(here.File(c.link)).string(), c.target);
    if (regular && c.status == 0) {
      EXPECT_EQ(ReadFile(leadsTo).rfind(c.start, 0), 0u) << ReadFile(leadsTo).substr(0, 40);
    } else if (regular && !std::filesystem::is_fifo(leadsTo)) {
      EXPECT_EQ(ReadFile(leadsTo), before);
    }
    for (const char* folder : {"", "away", "shared"}) EXPECT_EQ(testkit::TemporaryFilesIn(here.File(folder)), 0u);
  }
}

// A FIFO without a writer, a device that never ends, standard input: every
// command refuses them before reading, exit 1; a report's field file too,
// and a FIFO among a Shapefile's companions.
TEST_F(HostileRuns, InputsThatAreNotRegularFiles) {
  ASSERT_EQ(mkfifo(F("PIPE.LOG").c_str(), 0600), 0);
  WriteFile(F("J.LOG"), JobLog(300));
  const std::string report = "report " + Q("J.LOG") + " --field";
  for (const std::string& input : {F("PIPE.LOG"), std::string("/dev/zero"), std::string("/dev/stdin")}) {
    for (const std::string& command : {std::string("convert"), std::string("bin1"), std::string("rq7"),
                                       std::string("kml-to-job --name 9"), report}) {
      SCOPED_TRACE(std::string(command) + " " + input);
      const auto result = RunCli(command + " " + ShellQuote(input) + " </dev/null", "timeout 60 ");
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.err, "zeltlog-cli: " + input + ": not a regular file\n");
    }
  }
  WriteFile(F("F.shp"), "");
  ASSERT_EQ(mkfifo(F("F.dbf").c_str(), 0600), 0);
  const auto result = RunCli(report + " " + Q("F.shp"), "timeout 60 ");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "zeltlog-cli: " + F("F.shp") + ": " + F("F.dbf") + " is not a regular file\n");
  EXPECT_EQ(Snapshot(dir.path()).size(), 4u);
}

// SIGINT, SIGTERM and SIGHUP in mid-run: exit 128 + the signal, earlier
// documents as they were, nothing left behind; after SIGKILL nothing is
// left behind either. The run is held in mid-document by a reader of its
// standard output that stops reading.
TEST_F(HostileRuns, InterruptedRunsLeaveNothingBehind) {
  WriteFile(F("BIG.LOG"), JobLog(20000));
  WriteFile(F("BIG_SIC.KML"), "earlier swaths");
  WriteFile(F("BIG.KML"), "earlier path");
  const auto before = Snapshot(dir.path());
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(signal);
    PipedRun run({"convert", "-v", "--events", F("EV.DAT"), F("BIG.LOG")});
    // Well past the summary: the documents are under way and, with the
    // pipe full, cannot be completed.
    run.Read(100000);
    run.Signal(signal);
    const int status = run.Wait();
    if (signal == SIGKILL) {
      EXPECT_TRUE(WIFSIGNALED(status));
    } else {
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
}

// The same while a KMZ is packed: the packer's folder goes with the run,
// and the earlier KMZ is as it was or whole.
TEST_F(HostileRuns, InterruptedKmzPackingLeavesNothingBehind) {
  WriteFile(F("BIG.LOG"), JobLog(20000));
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    WriteFile(F("BIG_SIC.KMZ"), "earlier swaths");
    PipedRun run({"convert", "--kmz", F("BIG.LOG")});
    bool packing = false;
    for (int i = 0; i < 100000 && !packing; ++i) {
      for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        packing = packing || (entry.path().filename().string().rfind(".~", 0) == 0 && entry.is_directory());
      }
      if (!packing) usleep(100);
    }
    ASSERT_TRUE(packing);
    run.Signal(signal);
    const int status = run.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_EQ(testkit::TemporaryFilesIn(dir.path()), 0u);
    const std::string swaths = ReadFile(F("BIG_SIC.KMZ"));
    EXPECT_TRUE(swaths == "earlier swaths" || swaths.rfind("PK", 0) == 0);
  }
}

// A reader that goes away, a full or closed standard output: printing
// stops, the documents are finished, the failure is reported, exit 1.
TEST_F(HostileRuns, StandardOutputThatCannotBeWritten) {
  WriteFile(F("J.LOG"), JobLog(3000));
  WriteFile(F("G.BIN"), testkit::BigGpsLog());
  ASSERT_EQ(RunCli("convert " + Q("J.LOG")).status, 0);
  const std::string swaths = ReadFile(F("J_SIC.KML"));
  std::filesystem::remove(F("J_SIC.KML"));
  {
    PipedRun run({"convert", "-v", F("J.LOG")});
    run.Read(10);
    run.CloseOutput();
    const int status = run.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(ReadFile(F("J_SIC.KML")) == swaths);
  }
  struct Case {
    std::string redirection, reason;
  };
  for (const Case& c : {Case{">/dev/full", "No space left on device"}, Case{">&-", "Bad file descriptor"}}) {
    for (const bool convert : {true, false}) {
      const std::string command = convert ? "convert -v " + Q("J.LOG") : "bin1 -v " + Q("G.BIN");
      SCOPED_TRACE(command + " " + c.redirection);
      std::filesystem::remove(F("J_SIC.KML"));
      const auto result = testkit::RunShell(kCli + " " + command + " " + c.redirection, false);
      EXPECT_EQ(result.status, 1);
      EXPECT_NE(result.err.find("zeltlog-cli: standard output: cannot be written: " + c.reason + "\n"),
                std::string::npos)
          << result.err;
      if (convert) {
        EXPECT_TRUE(ReadFile(F("J_SIC.KML")) == swaths);
      }
    }
  }
}

// Parallel runs give the serial run's output, event list and documents,
// and keep their parts out of the user's folder: files and folders named
// like the old parts stay. Three logs on two workers.
TEST_F(HostileRuns, ParallelRunsMatchTheSerialOneAndTheirPartsAreAnonymous) {
  const std::string logs = " " + Q("A.LOG") + " " + Q("B.LOG") + " " + Q("C.LOG");
  WriteFile(F("A.LOG"), JobLog(400));
  WriteFile(F("B.LOG"), JobLog(500));
  WriteFile(F("C.LOG"), JobLog(350));
  WriteFile(F("season.dat.part0"), "keep me");
  std::filesystem::create_directory(F("season.dat.part1"));
  ASSERT_EQ(RunCli("convert --events " + Q("serial.dat") + logs).status, 0);
  const auto before = Snapshot(dir.path());
  for (const char* verbose : {"", "-v "}) {
    SCOPED_TRACE(verbose);
    const auto parallel = RunCli(std::string("convert -j 2 ") + verbose + "--events " + Q("season.dat") + logs);
    EXPECT_EQ(parallel.status, 0);
    EXPECT_EQ(ReadFile(F("season.dat")), ReadFile(F("serial.dat")));
    auto after = Snapshot(dir.path());
    after.erase("season.dat");
    EXPECT_EQ(after, before);
    const auto serial = RunCli(std::string("convert ") + verbose + logs);
    EXPECT_EQ(parallel.out, serial.out);
  }
}

// A replaced document keeps its mode bits and group; a new one gets the
// default mode.
TEST_F(HostileRuns, ReplacedDocumentsKeepTheirPermissions) {
  WriteFile(F("P.LOG"), JobLog(300));
  WriteFile(F("P_SIC.KML"), "private swaths");
  WriteFile(F("P.KML"), "shared path");
  ASSERT_EQ(chmod(F("P_SIC.KML").c_str(), 0600), 0);
  ASSERT_EQ(chmod(F("P.KML").c_str(), 0640), 0);
  const gid_t group = 4242;
  const bool grouped = chown(F("P.KML").c_str(), static_cast<uid_t>(-1), group) == 0;
  const mode_t mask = umask(022);
  umask(mask);
  EXPECT_EQ(RunCli("convert " + Q("P.LOG")).status, 0);
  auto statusOf = [&](const char* name) {
    struct stat status {};
    EXPECT_EQ(stat(F(name).c_str(), &status), 0) << name;
    return status;
  };
  EXPECT_EQ(statusOf("P_SIC.KML").st_mode & 07777, 0600u);
  EXPECT_EQ(statusOf("P.KML").st_mode & 07777, 0640u);
  if (grouped) {
    EXPECT_EQ(statusOf("P.KML").st_gid, group);
  }
  EXPECT_EQ(statusOf("P_M.KML").st_mode & 07777, 0666u & ~mask);
}

// Usage errors and names: NaN is no projection time, and an empty name is
// no file; a name without an extension keeps it whole; a legal
// 240-character name converts.
TEST_F(HostileRuns, ProjectionTimesAndOutputNames) {
  const std::string log = JobLog(300);
  WriteFile(F("U.LOG"), log);
  const auto before = Snapshot(dir.path());
  const std::pair<std::string, const char*> usage[] = {
      {"convert --spray-projection nan", "--spray-projection"}, {"convert --spray-projection NaN", "--spray-projection"},
      {"convert --spray-projection -nan", "--spray-projection"}, {"convert --spray-projection inf", "--spray-projection"},
      {"convert --spray-projection 2.5", "--spray-projection"}, {"convert --events ''", "--events"},
      {"bin1 --events ''", "--events"},           {"rq7 --events ''", "--events"},
      {"kml-to-job --name 7 --events ''", "--events"}, {"report --export ''", "--export"},
      {"report --field ''", "--field"},           {"report --html ''", "--html"},
  };
  for (const auto& [arguments, option] : usage) {
    SCOPED_TRACE(arguments);
    const auto result = RunCli(arguments + " " + Q("U.LOG"));
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(option), std::string::npos) << result.err;
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
  const std::string longBase(236, 'L'), longName = longBase + ".LOG";
  for (const std::string& name : {std::string("FIELD1234"), std::string("FIELD5678"), longName}) WriteFile(F(name), log);
  const auto result = RunCli("convert " + Q("FIELD1234") + " " + Q("FIELD5678") + " " + Q(longName));
  EXPECT_EQ(result.status, 0) << result.err;
  for (const std::string& base : {std::string("FIELD1234"), std::string("FIELD5678"), longBase}) {
    for (const char* suffix : {".KML", "_SIC.KML", "_M.KML"}) {
      EXPECT_TRUE(testkit::IsWellFormedXml(ReadFile(F(base + suffix)))) << base + suffix;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(F("FIELD.KML")));
}

// Binary header lines are listed up to their first NUL; an impossible BIN1
// fix is listed and skipped; a controller log without a block header keeps
// what was there. (A GPS log without a fix and a refused KML: the
// converters' own tests and the bad input matrix.)
TEST_F(HostileRuns, SideConvertersOnHostileContent) {
  testkit::Bin1Fix good, far;
  far.longitude = 8724991192.031445;
  const std::string gps = Str(testkit::GpsLogHeader('1', 513, 2, -5, "RECEIVER 12")) + Str(testkit::Bin1Frame(good)) +
                          Str(testkit::Bin1Frame(far));
  WriteFile(F("G.BIN"), gps);
  WriteFile(F("C.BIN"), Str(testkit::ControllerBlock(3, 4, 1, 70000, testkit::Bytes(gps.begin(), gps.end()), gps.size())));
  WriteFile(F("J.LOG"), JobLog(300));
  // A controller log cut inside a block header. (One without any header
  // keeps the earlier output: the controller log's own tests.)
  WriteFile(F("N.BIN"), Str(testkit::Bin1Frame(far)).substr(3) + std::string(4000, '\x5a'));
  const auto cut = RunCli("rq7 " + Q("N.BIN"));
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.err.find("(truncated)"), std::string::npos) << cut.err;
  EXPECT_FALSE(std::filesystem::exists(F("NP.BIN")));
  for (const auto& [tool, input] : {std::pair{"rq7", "C.BIN"}, {"bin1", "G.BIN"}, {"convert", "J.LOG"}}) {
    SCOPED_TRACE(tool);
    const auto result = RunCli(std::string(tool) + " -v --events " + Q(std::string(tool) + ".DAT") + " " + Q(input));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find('\0'), std::string::npos);
    EXPECT_EQ(ReadFile(F(std::string(tool) + ".DAT")).find('\0'), std::string::npos);
  }
  EXPECT_NE(ReadFile(F("bin1.DAT")).find("\r\n$LOG$1\x01\x02\x02\r\n"), std::string::npos);
  const auto bin1 = RunCli("bin1 " + Q("G.BIN"));
  EXPECT_EQ(bin1.status, 0);
  EXPECT_EQ(bin1.err, "Impossible BIN1 fix skipped: time 100.500, latitude 45.00000000, longitude 8724991192.03144455\n");
  const std::string csv = ReadFile(F("G.CSV"));
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2);
}

// Where the system will not start another thread (here a user allowed a
// single process), the pre-scan, the swath document's writer and the BIN1
// writer run on the caller's thread: the same bytes and the same lines.
TEST_F(HostileRuns, NoSecondThreadGivesTheSameBytes) {
  if (geteuid() != 0) GTEST_SKIP() << "running as another user needs root";
  WriteFile(F("JOB.LOG"), JobLog(6000));
  // Sprayed before its first swath record: the edges wait for the pre-scan.
  testkit::LogBuilder edges("V1");
  for (int i = 0; i < 3000; ++i) {
    const testkit::Fix fix{.time = testkit::Timestamp::FromTimeOfDay(100.0 + 0.2 * i), .latitude = -34.25 + 1e-5 * i,
                           .longitude = 142.1 + 1e-6 * (i % 7), .altitude = 48.0f, .speed = 6.0f, .heading = 3.0f,
                           .spray = (i / 500) % 2 == 0 ? 1u : 0u};
    edges.Frame(1, testkit::Position1(fix));
    if (i == 1000) edges.Frame(35, testkit::Sections(4, 700, -650));
  }
  WriteFile(F("EDGE.LOG"), edges.str());
  testkit::Bytes gps;
  for (int i = 0; i < 5000; ++i) {
    const testkit::Bytes frame = testkit::Bin1Frame({.time = 100.0 + 0.2 * i, .latitude = 45.0 + 1e-6 * i});
    gps.insert(gps.end(), frame.begin(), frame.end());
  }
  WriteFile(F("GPS.BIN"), Str(gps));
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  const std::set<std::string> inputs{"JOB.LOG", "EDGE.LOG", "GPS.BIN"};
  for (const char* command : {"convert JOB.LOG EDGE.LOG", "convert -v JOB.LOG EDGE.LOG", "bin1 GPS.BIN"}) {
    std::vector<std::pair<testkit::CliResult, std::map<std::string, std::string>>> runs;
    for (const bool oneProcess : {false, true}) {
      // A sanitized build's leak check needs a thread of its own at exit.
      const std::string limit = "ulimit -u 1 && export ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" && exec ";
      const std::string run = "cd " + ShellQuote(dir.path()) + " && " + (oneProcess ? limit : "") + kCli + " " + command;
      const auto result = testkit::RunShell(
          oneProcess ? "setpriv --reuid=65534 --regid=65534 --clear-groups bash -c " + ShellQuote(run) : run);
      runs.emplace_back(result, Snapshot(dir.path()));
      for (const auto& [name, bytes] : runs.back().second) {
        if (!inputs.count(name)) std::filesystem::remove(F(name));
      }
    }
    EXPECT_EQ(runs[0].first.status, 0) << command;
    EXPECT_EQ(runs[1].first.status, 0) << command << runs[1].first.err;
    EXPECT_EQ(runs[0].first.out, runs[1].first.out) << command;
    EXPECT_EQ(runs[0].first.err, runs[1].first.err) << command;
    EXPECT_GT(runs[0].second.size(), inputs.size()) << command;
    EXPECT_TRUE(runs[0].second == runs[1].second) << command;
  }
}

}  // namespace
}  // namespace zeltlog
