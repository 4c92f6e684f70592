#include <gtest/gtest.h>

#include "pipeline/event_hold.h"
#include "testkit.h"

namespace zeltlog {
namespace {

using Line = std::pair<EventKind, std::string>;

std::vector<Line> LinesWithKinds(const testkit::RecordingPlatform& platform) {
  std::vector<Line> lines;
  for (size_t i = 0; i < platform.events.size(); ++i) lines.emplace_back(platform.events.kind(i), platform.events.line(i));
  return lines;
}

// The summary heads the list whatever the full pass listed while the
// pre-scan ran: held lines follow it in their order, with their kinds.
TEST(EventHold, HeldLinesFollowTheLinesAddedAheadOfThem) {
  testkit::RecordingPlatform platform;
  EventHold hold(platform);
  hold.AddEvent(EventKind::Error, "   CS error  ID 34, bytes = 10  cs = 33  90");
  hold.AddEvent(EventKind::Record, "");  // an empty line stays a line
  hold.AddEvent(EventKind::Error, "Cannot create /x/A.KML");
  EXPECT_TRUE(platform.Lines().empty());
  EXPECT_FALSE(hold.Full());
  hold.Release([&] { hold.AddEvent(EventKind::Summary, "Latitude range:  1, 2, 3"); });
  hold.AddEvent(EventKind::Summary, "Start:1.000, End:2.000, 2, records, 1 checksum errors");
  EXPECT_EQ(LinesWithKinds(platform),
            (std::vector<Line>{{EventKind::Summary, "Latitude range:  1, 2, 3"},
                               {EventKind::Error, "   CS error  ID 34, bytes = 10  cs = 33  90"},
                               {EventKind::Record, ""},
                               {EventKind::Error, "Cannot create /x/A.KML"},
                               {EventKind::Summary, "Start:1.000, End:2.000, 2, records, 1 checksum errors"}}));
}

TEST(EventHold, FullPastItsBoundAndDroppedLinesGoNowhere) {
  testkit::RecordingPlatform platform;
  EventHold hold(platform);
  const std::string line(1000, 'x');
  size_t added = 0;
  while (!hold.Full()) {
    hold.AddEvent(EventKind::Record, line);
    ++added;
  }
  EXPECT_LE(added, EventHold::kBound / line.size() + 1);
  hold.Drop();
  hold.AddEvent(EventKind::Error, "after the refusal");
  EXPECT_FALSE(hold.Full());
  EXPECT_TRUE(platform.Lines().empty());
}

}  // namespace
}  // namespace zeltlog
