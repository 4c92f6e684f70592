// Bad inputs for every command of the CLI: each ends with a message that
// names the input and says what is wrong, and exit status 1. The guidance
// log's small cases (missing, folder, empty, zeros, 0xA5 bytes, noise, a
// log cut off, outputs taken by folders) are in the CLI's own tests; here
// the big ones and the side converters.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../cli/cli_runner.h"
#include "log_builder.h"

namespace zeltlog {
namespace {

using testkit::RunCli;
using testkit::ShellQuote;
using testkit::WriteFile;

constexpr size_t k50MB = 50u * 1024 * 1024;

// Pseudo-random bytes, none of them NUL.
std::string BytesWithoutNul(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed;
  for (char& c : bytes) {
    state = state * 1664525u + 1013904223u;
    const uint8_t byte = static_cast<uint8_t>(state >> 24);
    c = static_cast<char>(byte == 0 ? 1 : byte);
  }
  return bytes;
}

bool HasOne(const std::string& text, std::initializer_list<const char*> candidates) {
  for (const char* candidate : candidates) {
    if (text.find(candidate) != std::string::npos) return true;
  }
  return false;
}

TEST(BadInputMatrix, FiftyMegabytesWithoutANulByte) {
  testkit::TempDir dir;
  const std::string path = dir.File("BIG.LOG");
  WriteFile(path, BytesWithoutNul(k50MB, 2024));

  // To the guidance log it is all header text: no frame follows.
  auto result = RunCli("convert " + ShellQuote(path));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(path + ": no valid record found"), std::string::npos) << result.err;

  result = RunCli("bin1 " + ShellQuote(path));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(path + ": "), std::string::npos) << result.err;
  EXPECT_TRUE(HasOne(result.err, {"no BIN1 fix found", "the log ends inside"})) << result.err;

  result = RunCli("rq7 " + ShellQuote(path));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(path + ": "), std::string::npos) << result.err;
  EXPECT_TRUE(HasOne(result.err, {"no block header found", "the log ends inside"})) << result.err;

  std::filesystem::remove(path);
}

TEST(BadInputMatrix, KmlOfOneFiftyMegabyteLine) {
  testkit::TempDir dir;
  const std::string path = dir.File("LONG.KML");
  // Tuples on the line of the opening tag are never read; the line has no end.
  std::string line = "<coordinates>";
  while (line.size() < k50MB) line += "142.10634430,-34.24548355,0 ";
  WriteFile(path, line);
  const auto result = RunCli("kml-to-job --name 7 " + ShellQuote(path));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(path + ": This KML file has no polygon coordinates"), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("7")));
  std::filesystem::remove(path);
}

TEST(BadInputMatrix, GpsLogOfLineEndsOnly) {
  testkit::TempDir dir;
  std::string lineEnds;
  for (int i = 0; i < 5000; ++i) lineEnds += "\r\n";
  WriteFile(dir.File("CRLF.BIN"), lineEnds);
  const auto result = RunCli("bin1 " + ShellQuote(dir.File("CRLF.BIN")));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(dir.File("CRLF.BIN") + ": no BIN1 fix found"), std::string::npos) << result.err;
  // Nothing to draw: nothing written.
  for (const char* output : {"CRLF.CSV", "CRLF_AGE.KML", "CRLF_MODE.KML", "CRLF_SATS.KML"}) {
    EXPECT_FALSE(std::filesystem::exists(dir.File(output))) << output;
  }
}

// Missing, a folder, empty, zeros, 0xA5 bytes and noise for each side
// converter: a message naming the input, exit status 1.
TEST(BadInputMatrix, SideConvertersOnBrokenInputs) {
  testkit::TempDir dir;
  std::filesystem::create_directory(dir.File("FOLDER.BIN"));
  WriteFile(dir.File("EMPTY.BIN"), "");
  WriteFile(dir.File("ZEROS.BIN"), std::string(100000, '\0'));
  WriteFile(dir.File("SYNC.BIN"), std::string(100000, '\xA5'));
  WriteFile(dir.File("NOISE.BIN"), BytesWithoutNul(200000, 99));
  struct Case {
    const char* file;
    std::initializer_list<const char*> messages;  // any of them
  };
  const Case cases[] = {
      {"MISSING.BIN", {"No such file or directory"}},
      {"FOLDER.BIN", {"is a folder, not a file"}},
      {"EMPTY.BIN", {"the file is empty", "has no polygon coordinates"}},
      {"ZEROS.BIN", {"no BIN1 fix found", "no block header found", "the log ends inside", "has no polygon"}},
      {"SYNC.BIN", {"no BIN1 fix found", "no block header found", "the log ends inside", "has no polygon"}},
      {"NOISE.BIN", {"no BIN1 fix found", "no block header found", "the log ends inside", "has no polygon"}},
  };
  for (const char* command : {"bin1 ", "rq7 ", "kml-to-job --name 5 "}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(command) + c.file);
      const auto result = RunCli(command + ShellQuote(dir.File(c.file)));
      EXPECT_EQ(result.status, 1);
      EXPECT_NE(result.err.find(dir.File(c.file) + ": "), std::string::npos) << result.err;
      EXPECT_TRUE(HasOne(result.err, c.messages)) << result.err;
    }
  }
}

// Outputs whose names are taken by folders: reported, nothing else lost.
TEST(BadInputMatrix, SideOutputsTakenByFolders) {
  testkit::TempDir dir;
  const testkit::Bytes fix = testkit::Bin1Frame(testkit::Bin1Fix{});
  WriteFile(dir.File("T.BIN"), std::string(fix.begin(), fix.end()));
  const testkit::Bytes block = testkit::ControllerBlock(1, 2, 1, 3, testkit::Bytes(10, 7), 10);
  WriteFile(dir.File("R.BIN"), std::string(block.begin(), block.end()));
  WriteFile(dir.File("A.KML"), "<coordinates>\n1,2 3,4 5,6\n</coordinates>\n");
  for (const char* name : {"T.CSV", "RP.BIN", "9"}) std::filesystem::create_directory(dir.File(name));

  auto result = RunCli("bin1 " + ShellQuote(dir.File("T.BIN")));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(dir.File("T.CSV") + ": cannot be written: a folder has that name"), std::string::npos)
      << result.err;
  result = RunCli("rq7 " + ShellQuote(dir.File("R.BIN")));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(dir.File("RP.BIN") + ": cannot be written: a folder has that name"), std::string::npos)
      << result.err;
  result = RunCli("kml-to-job --name 9 " + ShellQuote(dir.File("A.KML")));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(dir.File("9") + ": cannot be written: a folder has that name"), std::string::npos)
      << result.err;
  for (const char* name : {"T.CSV", "RP.BIN", "9"}) EXPECT_TRUE(std::filesystem::is_directory(dir.File(name)));
}

}  // namespace
}  // namespace zeltlog
