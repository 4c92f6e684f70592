// Bad inputs for every command of the CLI: each ends with a message that
// names the input and says what is wrong, and exit status 1. The guidance
// log's small cases (missing, folder, empty, zeros, 0xA5 bytes, noise, a
// log cut off) are in the CLI's own tests, outputs that cannot be written in
// test_outputs_that_cannot_be_written; here the big ones and the side
// converters.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testkit.h"

namespace zeltlog {
namespace {


constexpr size_t k50MB = 50u * 1024 * 1024;

// Whether `err` names `path` with one of the messages.
bool NamesWithOneOf(const std::string& err, const std::string& path, std::initializer_list<const char*> messages) {
  for (const char* message : messages) {
    if (err.find(path + ": " + message) != std::string::npos) return true;
  }
  return false;
}

TEST(BadInputMatrix, FiftyMegabyteInputs) {
  testkit::TempDir dir;
  // To the guidance log it is all header text: no frame follows.
  WriteFile(dir.File("BIG.LOG"), testkit::Noise(k50MB, 2024, true));
  // Tuples on the line of the opening tag are never read; the line has no end.
  std::string line = "<coordinates>";
  while (line.size() < k50MB) line += "142.10634430,-34.24548355,0 ";
  WriteFile(dir.File("LONG.KML"), line);
  struct Case {
    const char* command;
    const char* file;
    std::initializer_list<const char*> messages;  // any of them
  };
  const Case cases[] = {
      {"convert ", "BIG.LOG", {"no valid record found"}},
      {"bin1 ", "BIG.LOG", {"no BIN1 fix found", "the log ends inside"}},
      {"rq7 ", "BIG.LOG", {"no block header found", "the log ends inside"}},
      {"kml-to-job --name 7 ", "LONG.KML", {"This KML file has no polygon coordinates"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const auto result = RunCli(c.command + ShellQuote(dir.File(c.file)));
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(NamesWithOneOf(result.err, dir.File(c.file), c.messages)) << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("7")));
}

// Missing, a folder, empty, zeros, 0xA5 bytes, noise and line ends only
// for each side converter: a message naming the input, exit status 1, and
// nothing written.
TEST(BadInputMatrix, SideConvertersOnBrokenInputs) {
  testkit::TempDir dir;
  std::filesystem::create_directory(dir.File("FOLDER.BIN"));
  WriteFile(dir.File("EMPTY.BIN"), "");
  WriteFile(dir.File("ZEROS.BIN"), std::string(100000, '\0'));
  WriteFile(dir.File("SYNC.BIN"), std::string(100000, '\xA5'));
  WriteFile(dir.File("NOISE.BIN"), testkit::Noise(200000, 99, true));
  std::string lineEnds;
  for (int i = 0; i < 5000; ++i) lineEnds += "\r\n";
  WriteFile(dir.File("CRLF.BIN"), lineEnds);
  struct Case {
    const char* file;
    std::initializer_list<const char*> messages;  // any of them
  };
  const Case cases[] = {
      {"MISSING.BIN", {"No such file or directory"}},
      {"FOLDER.BIN", {"is a folder, not a file"}},
      {"EMPTY.BIN", {"the file is empty", "This KML file has no polygon coordinates"}},
      {"ZEROS.BIN", {"no BIN1 fix found", "no block header found", "the log ends inside", "This KML file has no polygon"}},
      {"SYNC.BIN", {"no BIN1 fix found", "no block header found", "the log ends inside", "This KML file has no polygon"}},
      {"NOISE.BIN", {"no BIN1 fix found", "no block header found", "the log ends inside", "This KML file has no polygon"}},
      {"CRLF.BIN", {"no BIN1 fix found", "no block header found", "This KML file has no polygon"}},
  };
  for (const char* command : {"bin1 ", "rq7 ", "kml-to-job --name 5 "}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(command) + c.file);
      const auto result = RunCli(command + ShellQuote(dir.File(c.file)));
      EXPECT_EQ(result.status, 1);
      EXPECT_TRUE(NamesWithOneOf(result.err, dir.File(c.file), c.messages)) << result.err;
    }
  }
  // No fix gives no CSV and no wall, no polygon no job file; an input that
  // cannot be read gives no block file either.
  for (const std::string base : {"MISSING", "FOLDER", "EMPTY", "ZEROS", "SYNC", "NOISE", "CRLF"}) {
    for (const char* suffix : {".CSV", "_AGE.KML", "_MODE.KML", "_SATS.KML"}) {
      EXPECT_FALSE(std::filesystem::exists(dir.File(base + suffix))) << base + suffix;
    }
  }
  for (const char* name : {"MISSINGP.BIN", "FOLDERP.BIN", "EMPTYP.BIN", "5"}) {
    EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
  }
}

}  // namespace
}  // namespace zeltlog
