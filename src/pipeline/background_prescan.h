// The pre-scan: the summary's figures (the extent of the fixes, the rate
// ranges, the tank's use) and the swath edges of the log's last sections
// record, gathered over the whole log before the full pass can list or draw
// what depends on them. It runs on a thread of its own beside the full
// pass, started when the full pass finds it needs the figures early;
// where nothing needs them early the full pass gathers them itself and the
// log is read once. Where no thread can be started it runs at once, on the
// caller's thread.
#pragma once

#include <atomic>
#include <exception>
#include <thread>

#include "pipeline/log_passes.h"
#include "sinks/prescan_summary.h"

namespace zeltlog {

struct PrescanOutcome {
  PrescanSummarySink summary;
  FramePassCounts counts;
  bool readFailed = false;
};

class BackgroundPrescan {
 public:
  // The pre-scan of `log`, open and past its header, not yet started. The
  // log is the pre-scan's until Wait() has returned.
  explicit BackgroundPrescan(OpenedLog& log) : log_(log) {}
  BackgroundPrescan(const BackgroundPrescan&) = delete;
  BackgroundPrescan& operator=(const BackgroundPrescan&) = delete;
  ~BackgroundPrescan();

  // Starts the pre-scan, unless it has started or its outcome is known.
  void Start();
  // True once the pre-scan has finished; it never blocks.
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // The outcome: waits for the pre-scan to finish, starting it first if
  // need be. From the thread that made it.
  const PrescanOutcome& Wait();
  // The same figures, gathered by the full pass from the same records: the
  // pre-scan then never reads the log.
  void Adopt(const PrescanOutcome& outcome);

 private:
  void Run() noexcept;

  OpenedLog& log_;
  PrescanOutcome outcome_;
  std::exception_ptr failure_;
  bool started_ = false;
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

// Why a log the pre-scan found nothing to draw in is refused, or nothing.
std::optional<std::string> PrescanRefusal(const PrescanOutcome& outcome);

}  // namespace zeltlog
