#include <gtest/gtest.h>

#include "fake_run.h"

namespace zeltlog {
namespace {

// Every sink subscribed starts in order and ends in reverse; a record goes
// to the sinks that take records before the track geometry draws it for
// the sinks that take geometry.
TEST(PassStages, OrderOfTheStagesAndSubscriptions) {
  std::vector<std::string> seen;
  struct Named : Sink {
    Named(std::string n, std::vector<std::string>& s) : name(std::move(n)), seen(s) {}
    void OnStart() override { seen.push_back(name + " start"); }
    void OnFix(const Fix&) override { seen.push_back(name + " fix"); }
    void OnPathPoint(const PathPoint&) override { seen.push_back(name + " point"); }
    void OnEnd(const RunEnd&) override { seen.push_back(name + " end"); }
    std::string name;
    std::vector<std::string>& seen;
  };
  Named both("both", seen), records("records", seen), geometry("geometry", seen);
  testkit::FakeRun run({{&both}, {&records, Feeds::Records}, {&geometry, Feeds::Geometry}});
  run.records.OnFix(testkit::FixAt(100.0, -34.25, 142.1, 0.0, 3.0, 0));
  run.End();
  EXPECT_EQ(seen, (std::vector<std::string>{"both start", "records start", "geometry start", "both fix",
                                            "records fix", "both point", "geometry point", "geometry end",
                                            "records end", "both end"}));
}

}  // namespace
}  // namespace zeltlog
