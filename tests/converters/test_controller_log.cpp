#include <gtest/gtest.h>

#include <filesystem>

#include "converters/bin1_converter.h"
#include "converters/controller_log.h"
#include "testkit.h"

namespace zeltlog {
namespace {

using testkit::ControllerBlock;
using Lines = std::vector<std::string>;

Bytes Filled(size_t count, uint8_t first) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

std::string HeaderText(unsigned a, unsigned b, unsigned type, int32_t d, size_t length) {
  // As listed: the header frame's text up to its first NUL byte.
  const Bytes block = ControllerBlock(a, b, type, d, {}, length);
  const std::string text = Str(Bytes(block.begin(), block.end() - 2));
  return text.substr(0, text.find('\0'));
}

class ControllerLog : public ::testing::Test, protected testkit::Workspace {
 protected:
  CommandResult Extract(const Bytes& log) {
    testkit::WriteFile(dir.File("JOB12.BIN"), Str(log));
    return ExtractControllerBlocksFrom(session, dir.File("JOB12.BIN"));
  }
  std::string Output() const { return testkit::ReadFile(dir.File("JOB12P.BIN")); }

};

TEST_F(ControllerLog, TypeOneBlocksAreCopied) {
  // Header counts exclude the blocks: 22 bytes per header line. A block
  // full of CR LF pairs is taken whole all the same.
  Bytes crlf;
  for (int i = 0; i < 50; ++i) crlf.insert(crlf.end(), {'\r', '\n'});
  const Bytes log = Join({ControllerBlock(3, 4, 1, 70000, Filled(100, 0), 100),
                                   ControllerBlock(5, 6, 2, -1, Filled(100, 100), 100),
                                   ControllerBlock(7, 8, 1, 0, {}, 0), ControllerBlock(9, 10, 1, 2, crlf, 100)});
  const CommandResult r = Extract(log);
  EXPECT_TRUE(r.Succeeded()) << r.LastProblem();
  EXPECT_EQ(Output(), Str(Filled(100, 0)) + Str(crlf));
  EXPECT_EQ(platform.Lines(), (Lines{"22", HeaderText(3, 4, 1, 70000, 100), "                      3, 4, 100, 70000 - 1",
                                     "44", HeaderText(5, 6, 2, -1, 100), "                      5, 6, 100, -1 - 2",
                                     "66", HeaderText(7, 8, 1, 0, 0), "                      7, 8, 0, 0 - 1",
                                     "88", HeaderText(9, 10, 1, 2, 100), "                      9, 10, 100, 2 - 1"}));
  EXPECT_EQ(r.outputs.written, Lines{dir.File("JOB12P.BIN")});
}

TEST_F(ControllerLog, ShortLastBlockAndNoHeaders) {
  platform.AddEvent(EventKind::Summary, "earlier line");
  // The stated 100 bytes are not all there: what is there is copied.
  const CommandResult cut = Extract(ControllerBlock(1, 2, 1, 3, Filled(40, 1), 100));
  EXPECT_EQ(Output(), Str(Filled(40, 1)));
  EXPECT_EQ(cut.LastProblem(), "the log ends inside a data block (truncated)");
  EXPECT_EQ(platform.Lines().size(), 4u);  // not cleared first

  // Without any header the earlier output stays and nothing is listed.
  platform.events.Clear();
  const CommandResult none = Extract(Join({Filled(300, 0), testkit::Bin1Frame(testkit::Bin1Fix{})}));
  EXPECT_EQ(Output(), Str(Filled(40, 1)));
  EXPECT_TRUE(platform.Lines().empty());
  EXPECT_EQ(none.LastProblem(), "no block header found");
  // Missing and empty inputs: see the CLI's bad input matrix.
}

TEST_F(ControllerLog, OutputThatCannotBeCreated) {
  std::filesystem::create_directory(dir.File("JOB12P.BIN"));
  const CommandResult r =
      Extract(Join({ControllerBlock(1, 2, 1, 3, Filled(10, 0), 10), ControllerBlock(1, 2, 2, 3, {}, 0)}));
  EXPECT_FALSE(r.Succeeded());
  ASSERT_EQ(r.outputs.failed.size(), 1u);
  // Every header is still listed, after the line that says why.
  const Lines lines = platform.Lines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "Cannot create " + dir.File("JOB12P.BIN"));
  EXPECT_EQ(lines[4], "44");
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("JOB12P.BIN")));
}

TEST_F(ControllerLog, OutputIsAGpsMessageLog) {
  // The blocks carry the receiver's messages; the extract converts.
  const Bytes gps = Join({testkit::Bin1Frame(testkit::Bin1Fix{}), testkit::Bin1Frame({.time = 101.0})});
  const Bytes log = Join({ControllerBlock(1, 2, 1, 3, Bytes(gps.begin(), gps.begin() + 100), 100),
                                   ControllerBlock(1, 2, 2, 3, Filled(64, 0), 64),
                                   ControllerBlock(1, 2, 1, 3, Bytes(gps.begin() + 100, gps.end()), 28)});
  platform.choices.push_back(dir.File("JOB12.BIN"));
  testkit::WriteFile(dir.File("JOB12.BIN"), Str(log));
  EXPECT_TRUE(ExtractControllerBlocks(session).Succeeded());
  EXPECT_EQ(platform.filters.at(0), "Orbanta GPS BIN FORMAT from RQ7 logs .BIN|*.BIN|All Files - All Types|*.*;*||");
  EXPECT_EQ(session.lastChosenFolder, dir.path());
  EXPECT_EQ(Output(), Str(gps));

  const CommandResult converted = ConvertBin1On(session, dir.File("JOB12P.BIN"));
  EXPECT_TRUE(converted.Succeeded()) << converted.LastProblem();
  const std::string csv = testkit::ReadFile(dir.File("JOB12P.CSV"));
  EXPECT_NE(csv.find("\r\n100.500,"), std::string::npos);
  EXPECT_NE(csv.find("\r\n101.000,"), std::string::npos);
  std::string error;
  EXPECT_TRUE(testkit::IsWellFormedXml(testkit::ReadFile(dir.File("JOB12P_SATS.KML")), &error)) << error;
}

}  // namespace
}  // namespace zeltlog
