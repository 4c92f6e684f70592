#include <gtest/gtest.h>

#include <string>

#include "core/event_store.h"

namespace zeltlog {
namespace {

TEST(EventStore, KeepsLinesInOrderWithTheirKinds) {
  EventStore store;
  store.Add(EventKind::Summary, "Version: X");
  store.Add(EventKind::Record, "");
  store.Add(EventKind::Error, std::string_view("a\0b", 3));
  ASSERT_EQ(store.size(), 3u);
  EXPECT_EQ(store.line(0), "Version: X");
  EXPECT_EQ(store.line(1), "");
  EXPECT_EQ(store.line(2), std::string_view("a\0b", 3));
  EXPECT_EQ(store.kind(2), EventKind::Error);
  store.Clear();
  EXPECT_EQ(store.size(), 0u);
  store.Add(EventKind::Progress, "again");
  EXPECT_EQ(store.line(0), "again");
}

}  // namespace
}  // namespace zeltlog
