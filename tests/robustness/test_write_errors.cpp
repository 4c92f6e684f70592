// Failed writes: a conversion that cannot complete an output (a full disk,
// a file size limit) reports it, and an earlier file of the same name stays
// exactly as it was; no temporary file is left behind. Every command,
// the side converters too, under a file size limit:
// test_outputs_that_cannot_be_written; here the log conversion and a
// parallel run's event list on a file system that is really full (a 64 KiB
// tmpfs that the test mounts, skipped where mounting is not permitted).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>

#include "testkit.h"
#include "pipeline/log_conversion.h"
#include "robustness_inputs.h"

namespace zeltlog {
namespace {


class FullDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    small = dir.File("small");
    sources = dir.File("sources");
    std::filesystem::create_directory(small);
    std::filesystem::create_directory(sources);
    if (mount("tmpfs", small.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0) {
      GTEST_SKIP() << "a small file system cannot be mounted here: " << std::strerror(errno);
    }
    mounted = true;
  }
  void TearDown() override {
    if (mounted) umount2(small.c_str(), MNT_DETACH);
  }

  testkit::TempDir dir;
  std::string small, sources;
  bool mounted = false;
};

TEST_F(FullDisk, LogConversionKeepsEarlierDocumentsAndReportsTheFailure) {
  const auto job = testkit::BuildSprayJob({1500, 300, true, 3});
  WriteFile(sources + "/JOB.LOG", std::string(job.begin(), job.end()));
  std::filesystem::create_symlink(sources + "/JOB.LOG", small + "/JOB.LOG");
  const std::string earlier[] = {"earlier path", "earlier swaths", "earlier marks"};
  const std::string documents[] = {small + "/JOB.KML", small + "/JOB_SIC.KML", small + "/JOB_M.KML"};
  for (int i = 0; i < 3; ++i) WriteFile(documents[i], earlier[i]);

  testkit::RecordingPlatform platform;
  ConversionSession session(platform, platform, platform);
  const CommandResult outcome = RunLogConversionOn(session, small + "/JOB.LOG");
  EXPECT_FALSE(outcome.Succeeded());
  ASSERT_FALSE(outcome.outputs.failed.empty());
  bool swathFailed = false;
  for (const auto& failure : outcome.outputs.failed) {
    EXPECT_EQ(failure.reason, std::strerror(ENOSPC)) << failure.path;
    swathFailed = swathFailed || failure.path == documents[1];
  }
  EXPECT_TRUE(swathFailed);
  const auto errors = platform.LinesOf(EventKind::Error);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(documents[i]);
    bool written = false;
    for (const auto& path : outcome.outputs.written) written = written || path == documents[i];
    const std::string now = ReadFile(documents[i]);
    if (written) {
      // Complete, or not there at all.
      EXPECT_TRUE(testkit::IsWellFormedXml(now));
    } else {
      EXPECT_EQ(now, earlier[i]);
      EXPECT_NE(std::find(errors.begin(), errors.end(), "Cannot write " + documents[i]), errors.end());
    }
  }
  EXPECT_EQ(testkit::TemporaryFilesIn(small), 0u);

  // The CLI says so and exits with 1.
  const auto result = RunCli("convert " + ShellQuote(small + "/JOB.LOG"));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(documents[1] + ": cannot be written: " + std::strerror(ENOSPC)), std::string::npos)
      << result.err;
  EXPECT_EQ(ReadFile(documents[1]), earlier[1]);
  EXPECT_EQ(testkit::TemporaryFilesIn(small), 0u);
}

// The parts of a parallel run's event list are kept beside it: on a full
// disk that fails, and the run says so.
TEST_F(FullDisk, ParallelEventListThatCannotBeKept) {
  const auto job = testkit::BuildSprayJob({3000, 300, true, 3});
  for (const char* name : {"/A.LOG", "/B.LOG"}) WriteFile(sources + name, std::string(job.begin(), job.end()));
  const auto result = RunCli("convert -j 2 --events " + ShellQuote(small + "/EV.DAT") + " " +
                             ShellQuote(sources + "/A.LOG") + " " + ShellQuote(sources + "/B.LOG"));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("zeltlog-cli: " + small + "/EV.DAT: cannot be written: " + std::strerror(ENOSPC)),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(std::filesystem::exists(small + "/EV.DAT"));
  EXPECT_TRUE(std::filesystem::is_empty(small));
}

}  // namespace
}  // namespace zeltlog
