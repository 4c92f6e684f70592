#include <gtest/gtest.h>

#include "cli/progress_display.h"

namespace zeltlog::cli {
namespace {

TEST(ProgressDisplay, AppearsAfterASecondAndGoesWhenTheLogIsRead) {
  double now = 100.0;
  ProgressDisplay progress([&now] { return now; });
  progress.Start("JOB.LOG");
  struct Step {
    double at;
    unsigned long long done;
    const char* shown;
  };
  // A 10 MB log.
  const Step steps[] = {
      {100.5, 4000000, ""},  // within the first second: nothing
      {101.0, 5000000, "\rJOB.LOG: converting  50% of the log read, 5.0 MB/s\033[K"},
      {101.05, 5500000, ""},  // redrawn at most ten times a second
      {101.2, 6000000, "\rJOB.LOG: converting  60% of the log read, 5.0 MB/s\033[K"},
      {102.0, 10000000, "\r\033[K"},  // read whole: the line goes
      {102.1, 10000000, ""},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.at);
    now = step.at;
    EXPECT_EQ(progress.Update(step.done, 10000000), step.shown);
  }
  EXPECT_EQ(progress.Erase(), "");
  EXPECT_EQ(progress.Update(1, 0), "");  // an empty log shows nothing

  // The next log starts its own second.
  now = 104.0;
  progress.Start("NEXT.LOG");
  EXPECT_EQ(progress.Update(100, 1000), "");
  now = 105.0;
  EXPECT_EQ(progress.Update(999, 1000), "\rNEXT.LOG: converting  99% of the log read, 0.0 MB/s\033[K");
}

}  // namespace
}  // namespace zeltlog::cli
