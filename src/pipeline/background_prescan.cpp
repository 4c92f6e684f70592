#include "pipeline/background_prescan.h"

#include <system_error>
#include <utility>

namespace zeltlog {

void BackgroundPrescan::Start() {
  if (started_) return;
  started_ = true;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    Run();  // no second thread: the pre-scan runs now
  }
}

void BackgroundPrescan::Adopt(const PrescanOutcome& outcome) {
  if (started_) return;
  started_ = true;
  outcome_ = outcome;
  finished_.store(true, std::memory_order_release);
}

BackgroundPrescan::~BackgroundPrescan() {
  if (thread_.joinable()) thread_.join();
}

void BackgroundPrescan::Run() noexcept {
  try {
    // Nobody shows the progress of the pre-scan: the full pass reports its own.
    outcome_.counts = RunFramePass(log_.reader, outcome_.summary, nullptr);
    outcome_.readFailed = log_.reader.Failed();
  } catch (...) {
    failure_ = std::current_exception();
  }
  finished_.store(true, std::memory_order_release);
}

const PrescanOutcome& BackgroundPrescan::Wait() {
  Start();
  if (thread_.joinable()) thread_.join();
  if (failure_) std::rethrow_exception(failure_);
  return outcome_;
}

std::optional<std::string> PrescanRefusal(const PrescanOutcome& outcome) {
  if (outcome.readFailed) return "read error";
  if (outcome.counts.goodFrames == 0) return "no valid record found";
  if (outcome.summary.figures().fixes == 0) return "the log holds no position fix";
  return std::nullopt;
}

}  // namespace zeltlog
