// The pre-scan on a thread of its own: it frames and decodes the whole log
// for the summary's figures while the full pass, on the caller's thread,
// decodes it again for the documents. Where no thread can be started it
// runs at once, before the full pass, on the caller's thread.
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
  // Starts the pre-scan of `log`, open and past its header. The log is the
  // pre-scan's until Wait() has returned.
  explicit BackgroundPrescan(OpenedLog& log);
  BackgroundPrescan(const BackgroundPrescan&) = delete;
  BackgroundPrescan& operator=(const BackgroundPrescan&) = delete;
  ~BackgroundPrescan();

  // True once the pre-scan has finished; it never blocks.
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // Waits for the pre-scan to finish. From the thread that started it.
  const PrescanOutcome& Wait();

 private:
  void Run() noexcept;

  OpenedLog& log_;
  PrescanOutcome outcome_;
  std::exception_ptr failure_;
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

// Why a log the pre-scan found nothing to draw in is refused, or nothing.
std::optional<std::string> PrescanRefusal(const PrescanOutcome& outcome);

}  // namespace zeltlog
