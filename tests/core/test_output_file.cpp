#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/output_file.h"
#include "temp_dir.h"
#include "xml_check.h"

namespace zeltlog {
namespace {

TEST(OutputFile, TextModeWritesCrLfForEveryLineFeed) {
  testkit::TempDir dir;
  std::mt19937 random(5);
  std::string text, expected;
  // Runs of every length around the eight-byte steps, across buffer refills.
  while (text.size() < 300000) {
    const size_t run = random() % 40;
    for (size_t i = 0; i < run; ++i) {
      const char c = static_cast<char>('a' + random() % 26);
      text.push_back(c);
      expected.push_back(c);
    }
    const int ends = static_cast<int>(random() % 3);
    for (int i = 0; i < ends; ++i) {
      text.push_back('\n');
      expected.append("\r\n");
    }
  }
  OutputFile file;
  ASSERT_TRUE(file.Create(dir.File("T.KML"), OutputFile::Mode::Text));
  for (size_t at = 0; at < text.size();) {
    const size_t piece = std::min<size_t>(1 + random() % 100000, text.size() - at);
    file.Write(std::string_view(text).substr(at, piece));
    at += piece;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("T.KML")));  // not in place before it is complete
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(testkit::ReadFile(dir.File("T.KML")), expected);

  ASSERT_TRUE(file.Create(dir.File("B.BIN"), OutputFile::Mode::Binary));
  file.Write("a\nb");
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(testkit::ReadFile(dir.File("B.BIN")), "a\nb");
}

TEST(OutputFile, AbandonedOrImpossibleDocumentsLeaveTheTargetAlone) {
  testkit::TempDir dir;
  testkit::WriteFile(dir.File("T.KML"), "earlier");
  {
    OutputFile file;
    ASSERT_TRUE(file.Create(dir.File("T.KML"), OutputFile::Mode::Text));
    file.Write("half a document\n");
  }  // dropped without Close
  EXPECT_EQ(testkit::ReadFile(dir.File("T.KML")), "earlier");
  std::filesystem::create_directory(dir.File("F.KML"));
  OutputFile file;
  std::string reason;
  EXPECT_FALSE(file.Create(dir.File("F.KML"), OutputFile::Mode::Text, &reason));
  EXPECT_EQ(reason, "a folder has that name");
  file.Write("goes nowhere");
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.Create(dir.File("missing/T.KML"), OutputFile::Mode::Text, &reason));
  EXPECT_EQ(reason, "No such file or directory");
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 2u);
}

}  // namespace
}  // namespace zeltlog
