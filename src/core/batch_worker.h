// Items handed in batches to a thread of their own, which passes each of
// them, in the order they came, to `write`. A document that is most of a
// run's output is formatted this way on the second core while the first
// goes on decoding: the same bytes in the same order, and at most five
// batches in memory.
#pragma once

#include <condition_variable>
#include <deque>
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
    ready_.notify_one();
    thread_.join();
  }

 private:
  static constexpr size_t kBatch = 2048;
  // Batches handed over and waiting: a few, so that neither side waits for
  // the other at every batch when one of them is slow for a moment.
  static constexpr size_t kWaiting = 3;
  // The writer, once it has caught up, sleeps until this many batches wait:
  // waking a thread costs the system more than the writer spends on a
  // batch, and the writer is the faster of the two.
  static constexpr size_t kWakeAt = 2;

  void HandOver() {
    std::vector<Item> next;
    bool wake = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      room_.wait(lock, [this] { return waiting_.size() < kWaiting; });
      waiting_.push_back(std::move(filling_));
      wake = waiting_.size() == kWakeAt;
      if (!spare_.empty()) {
        next = std::move(spare_.back());
        spare_.pop_back();
      }
    }
    if (wake) ready_.notify_one();
    filling_ = std::move(next);
    filling_.reserve(kBatch);
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      ready_.wait(lock, [this] { return waiting_.size() >= kWakeAt || finishing_; });
      if (waiting_.empty()) return;
      std::vector<Item> batch = std::move(waiting_.front());
      waiting_.pop_front();
      lock.unlock();
      room_.notify_one();
      for (const Item& item : batch) write_(item);
      batch.clear();
      lock.lock();
      spare_.push_back(std::move(batch));
    }
  }

  std::function<void(const Item&)> write_;
  std::vector<Item> filling_;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<std::vector<Item>> waiting_;  // in the order they came
  std::vector<std::vector<Item>> spare_;   // written batches, their memory kept
  bool finishing_ = false;
  std::thread thread_;
};

}  // namespace zeltlog
