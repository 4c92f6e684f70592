// Swath quads handed in batches to a thread of their own, which passes
// each of them, in the order they came, to `write`. The swath document is
// most of a conversion's output: its sink formats it on the second core
// while the first goes on decoding, with the same bytes in the same order.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "geometry/geometry_handler.h"

namespace zeltlog {

class QuadWorker {
 public:
  explicit QuadWorker(std::function<void(const SwathQuad&)> write);
  QuadWorker(const QuadWorker&) = delete;
  QuadWorker& operator=(const QuadWorker&) = delete;
  ~QuadWorker() { Finish(); }

  void Add(const SwathQuad& quad) {
    if (!thread_.joinable()) {
      write_(quad);  // no second thread could be started
      return;
    }
    filling_.push_back(quad);
    if (filling_.size() == kBatch) HandOver();
  }
  // Returns when every quad added has been written; the thread has ended.
  void Finish();

 private:
  static constexpr size_t kBatch = 2048;
  void HandOver();
  void Run();

  std::function<void(const SwathQuad&)> write_;
  std::vector<SwathQuad> filling_, writing_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool handedOver_ = false;  // writing_ holds a batch not yet written
  bool finishing_ = false;
  std::thread thread_;
};

}  // namespace zeltlog
