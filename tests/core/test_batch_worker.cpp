#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "core/batch_worker.h"

namespace zeltlog {
namespace {

// Items come out in the order they went in, across many batches, whichever
// side is the slower one for a while; Finish returns once all are out.
TEST(BatchWorker, WritesEveryItemInOrder) {
  for (const bool slowWriter : {false, true}) {
    std::vector<int> written;
    BatchWorker<int> worker([&](const int& item) {
      if (slowWriter && item % 4096 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      written.push_back(item);
    });
    constexpr int kItems = 50000;
    for (int i = 0; i < kItems; ++i) {
      if (!slowWriter && i % 8192 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      worker.Add(i);
    }
    worker.Finish();
    ASSERT_EQ(written.size(), static_cast<size_t>(kItems)) << slowWriter;
    for (int i = 0; i < kItems; ++i) ASSERT_EQ(written[i], i) << slowWriter;
    worker.Finish();  // a second time: nothing more
    EXPECT_EQ(written.size(), static_cast<size_t>(kItems));
  }
}

}  // namespace
}  // namespace zeltlog
