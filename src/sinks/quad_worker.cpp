#include "sinks/quad_worker.h"

#include <system_error>
#include <utility>

namespace zeltlog {

QuadWorker::QuadWorker(std::function<void(const SwathQuad&)> write) : write_(std::move(write)) {
  filling_.reserve(kBatch);
  writing_.reserve(kBatch);
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // Where the system will not start another thread (a limit on
    // processes), the quads are written on the caller's thread as they come.
  }
}

void QuadWorker::HandOver() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !handedOver_; });
  std::swap(filling_, writing_);
  handedOver_ = true;
  changed_.notify_all();
}

void QuadWorker::Finish() {
  if (!thread_.joinable()) return;
  if (!filling_.empty()) HandOver();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finishing_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void QuadWorker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return handedOver_ || finishing_; });
    if (!handedOver_) return;
    // The batch is this thread's until it says so.
    lock.unlock();
    for (const SwathQuad& quad : writing_) write_(quad);
    writing_.clear();
    lock.lock();
    handedOver_ = false;
    changed_.notify_all();
  }
}

}  // namespace zeltlog
