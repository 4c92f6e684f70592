// Items handed in batches to a thread of their own, which passes each of
// them, in the order they came, to `write`. A document that is most of a
// run's output is formatted this way on the second core while the first
// goes on decoding: the same bytes in the same order, and at most two
// batches in memory.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace zeltlog {

template <typename Item>
class BatchWorker {
 public:
  explicit BatchWorker(std::function<void(const Item&)> write) : write_(std::move(write)) {
    filling_.reserve(kBatch);
    writing_.reserve(kBatch);
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // Where the system will not start another thread (a limit on
      // processes), the items are written on the caller's thread as they come.
    }
  }
  BatchWorker(const BatchWorker&) = delete;
  BatchWorker& operator=(const BatchWorker&) = delete;
  ~BatchWorker() { Finish(); }

  void Add(const Item& item) {
    if (!thread_.joinable()) {
      write_(item);  // no second thread could be started
      return;
    }
    filling_.push_back(item);
    if (filling_.size() == kBatch) HandOver();
  }

  // Returns when every item added has been written; the thread has ended.
  void Finish() {
    if (!thread_.joinable()) return;
    if (!filling_.empty()) HandOver();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finishing_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

 private:
  static constexpr size_t kBatch = 2048;

  void HandOver() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !handedOver_; });
    std::swap(filling_, writing_);
    handedOver_ = true;
    changed_.notify_all();
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return handedOver_ || finishing_; });
      if (!handedOver_) return;
      // The batch is this thread's until it says so.
      lock.unlock();
      for (const Item& item : writing_) write_(item);
      writing_.clear();
      lock.lock();
      handedOver_ = false;
      changed_.notify_all();
    }
  }

  std::function<void(const Item&)> write_;
  std::vector<Item> filling_, writing_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool handedOver_ = false;  // writing_ holds a batch not yet written
  bool finishing_ = false;
  std::thread thread_;
};

}  // namespace zeltlog
