#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/output_file.h"
#include "core/temporary_file.h"
#include "testkit.h"

namespace zeltlog {
namespace {

TEST(OutputFile, TextModeWritesCrLfForEveryLineFeed) {
  testkit::TempDir dir;
  std::mt19937 random(5);
  std::string text;
  // Runs of every length around the eight-byte steps, across buffer refills.
  while (text.size() < 300000) {
    const size_t run = random() % 40;
    for (size_t i = 0; i < run; ++i) text.push_back(static_cast<char>('a' + random() % 26));
    text.append(random() % 3, '\n');
  }
  OutputFile file;
  ASSERT_TRUE(file.Create(dir.File("T.KML"), OutputFile::Mode::Text));
  // Pieces of the text, and between them bytes put straight into the room
  // the file gives (up to its limit), across the chunks it writes.
  std::string expected;
  for (size_t at = 0; at < text.size();) {
    const size_t piece = std::min<size_t>(1 + random() % 100000, text.size() - at);
    file.Write(std::string_view(text).substr(at, piece));
    for (const char c : std::string_view(text).substr(at, piece)) expected.append(c == '\n' ? "\r\n" : std::string(1, c));
    at += piece;
    const size_t room = random() % 3 == 0 ? OutputFile::kRoomLimit : random() % 700;
    char* put = file.Room(room);
    for (size_t i = 0; i < room; ++i) put[i] = static_cast<char>('A' + (at + i) % 26);
    file.Advance(put + room);
    expected.append(put, room);
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
  EXPECT_EQ(testkit::EntriesIn(dir.path()), 2u);
}

// Both kinds of temporary: anonymous where the file system has them, named
// (as on file systems without O_TMPFILE) otherwise. Each replaces the
// target only when committed, keeps its mode, and leaves nothing behind.
TEST(TemporaryFile, AnonymousAndNamed) {
  testkit::TempDir dir;
  const auto entries = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  for (const bool anonymous : {true, false}) {
    SCOPED_TRACE(anonymous);
    testkit::WriteFile(dir.File("T.KML"), "earlier");
    ASSERT_EQ(chmod(dir.File("T.KML").c_str(), 0604), 0);
    TemporaryFile file;
    int error = 0;
    ASSERT_TRUE(file.Open(dir.File("T.KML"), &error, anonymous)) << error;
    EXPECT_EQ(file.IsNamed(), !anonymous);
    ASSERT_TRUE(file.Write("complete", 8, &error));
    if (anonymous) {
      EXPECT_EQ(entries(), std::vector<std::string>{"T.KML"});
    } else {
      // A short name of its own beside the target.
      const auto names = entries();
      ASSERT_EQ(names.size(), 2u);
      EXPECT_EQ(names[0].size(), 14u);
      EXPECT_EQ(names[0].substr(0, 2), ".~");
    }
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_EQ(testkit::ReadFile(dir.File("T.KML")), "complete");
    struct stat status;
    ASSERT_EQ(stat(dir.File("T.KML").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    EXPECT_EQ(entries(), std::vector<std::string>{"T.KML"});

    // Dropped, or removed by the signal handler's sweep: the target stays.
    ASSERT_TRUE(file.Open(dir.File("T.KML"), &error, anonymous));
    file.Discard();
    ASSERT_TRUE(file.Open(dir.File("T.KML"), &error, anonymous));
    RemoveTemporaries();
    EXPECT_EQ(entries(), std::vector<std::string>{"T.KML"});
    file.Discard();
    EXPECT_EQ(testkit::ReadFile(dir.File("T.KML")), "complete");
  }

  // A scratch file has no name at any time.
  int error = 0;
  const int scratch = OpenScratchFile(dir.path(), &error);
  ASSERT_GE(scratch, 0) << error;
  EXPECT_EQ(write(scratch, "abc", 3), 3);
  char back[3];
  EXPECT_EQ(pread(scratch, back, 3, 0), 3);
  EXPECT_EQ(std::string(back, 3), "abc");
  close(scratch);
  EXPECT_EQ(entries(), std::vector<std::string>{"T.KML"});
}

}  // namespace
}  // namespace zeltlog
