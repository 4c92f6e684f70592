#include <gtest/gtest.h>

#include <filesystem>

#include "testkit.h"

namespace zeltlog {
namespace {


class CliSideConverters : public ::testing::Test {
 protected:
  std::string Q(const std::string& name) const { return ShellQuote(dir.File(name)); }
  testkit::TempDir dir;
};

TEST_F(CliSideConverters, KmlToJob) {
  testkit::WriteFile(dir.File("FIELD.KML"),
                     "<Polygon>\n\t<coordinates>\n\t\t-1.5,52.25,0 -1.49,52.25,0 -1.5,52.25,0 \n\t</coordinates>\n"
                     "</Polygon>\n");
  const auto ok = RunCli("kml-to-job " + Q("FIELD.KML") + " --name 12 --exclude");
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, ".JOB 12 NONE\n.VERSION 1\n.POL 1\nEXC\n\t52.25000000000000 -1.50000000000000\n"
                    "\t52.25000000000000 -1.49000000000000\n\t52.25000000000000 -1.50000000000000\nJOB FILE CLOSED\n" +
                        dir.File("12") + "\n");
  EXPECT_EQ(testkit::ReadFile(dir.File("12")).substr(0, 37), ".JOB 12 NONE\r\n.VERSION 1\r\n.POL 1\r\n\tEX");

  // A point is refused on standard error, and no job file is written.
  testkit::WriteFile(dir.File("POINT.KML"), "<Point>\n<coordinates>1,2,0</coordinates>\n</Point>\n");
  const auto refused = RunCli("kml-to-job " + Q("POINT.KML") + " --name P --number 5 --events " + Q("EV.DAT"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "zeltlog-cli: " + dir.File("POINT.KML") +
                             ": This KML file is a series of points, needs to be a closed polygon to make a proper JOB "
                             "file.  No job file written.\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("P")));
  // The event list file keeps the first line's own line end.
  const std::string events = testkit::ReadFile(dir.File("EV.DAT"));
  EXPECT_EQ(events.substr(events.find("dswath\r\n") + 8), ".JOB 5 NONE\r\n\r\n.VERSION 1\r\n.POL 1\r\nINC\r\n");

  // Usage errors: the dialog's rules.
  EXPECT_EQ(RunCli("kml-to-job " + Q("FIELD.KML") + " --name 123456789012345678901").status, 2);
  EXPECT_EQ(RunCli("kml-to-job " + Q("FIELD.KML") + " --name A --number 1000").status, 2);
  EXPECT_EQ(RunCli("kml-to-job " + Q("FIELD.KML")).status, 2);
  // A job name that cannot name a file (unreadable inputs: see the bad input matrix).
  const auto badName = RunCli("kml-to-job " + Q("FIELD.KML") + " --name 'A/B'");
  EXPECT_EQ(badName.status, 1);
  EXPECT_NE(badName.err.find("the job name holds a path separator"), std::string::npos);
}

TEST_F(CliSideConverters, Bin1AndRq7) {
  const testkit::Bytes fix = testkit::Bin1Frame(testkit::Bin1Fix{});
  testkit::Bytes controller = testkit::ControllerBlock(1, 2, 1, 3, fix, fix.size());
  testkit::WriteFile(dir.File("C.BIN"), Str(controller));

  const auto rq7 = RunCli("rq7 -v " + Q("C.BIN"));
  EXPECT_EQ(rq7.status, 0) << rq7.err;
  EXPECT_EQ(rq7.out.substr(0, 3), "22\n");
  EXPECT_NE(rq7.out.find("                      1, 2, 64, 3 - 1\n" + dir.File("CP.BIN") + "\n"), std::string::npos);
  EXPECT_EQ(testkit::ReadFile(dir.File("CP.BIN")), Str(fix));

  const auto bin1 = RunCli("bin1 --events " + Q("EV.DAT") + " " + Q("CP.BIN"));
  EXPECT_EQ(bin1.status, 0) << bin1.err;
  EXPECT_EQ(bin1.out, dir.File("CP.CSV") + "\n" + dir.File("CP_AGE.KML") + "\n" + dir.File("CP_MODE.KML") + "\n" +
                          dir.File("CP_SATS.KML") + "\n");
  const std::string events = testkit::ReadFile(dir.File("EV.DAT"));
  EXPECT_EQ(events.substr(events.find("dswath\r\n") + 8), "BIN1\r\n64\r\n100.500\r\n");

  // A controller log cut inside its block: the hostile runs' tests.
  EXPECT_EQ(RunCli("rq7").status, 2);
}

}  // namespace
}  // namespace zeltlog
