#include "cli/progress_display.h"

#include <chrono>
#include <cstdio>

namespace zeltlog::cli {

ProgressDisplay::ProgressDisplay(std::function<double()> clock) : clock_(std::move(clock)) {
  if (!clock_) {
    clock_ = [] {
      return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    };
  }
}

void ProgressDisplay::Start(std::string label) {
  label_ = std::move(label);
  started_ = clock_();
}

std::string ProgressDisplay::Update(unsigned long long done, unsigned long long total) {
  if (total == 0) return {};
  // Read whole: what follows (the end line, the next log) starts on a clean line.
  if (done >= total) return Erase();
  const double now = clock_();
  const double elapsed = now - started_;
  if (elapsed < kDelaySeconds || (shown_ && now - drawn_ < kRedrawSeconds)) return {};
  drawn_ = now;
  shown_ = true;
  const double rate = static_cast<double>(done) / elapsed / 1e6;
  const int percent = static_cast<int>(done * 100 / total);
  char figures[96];
  std::snprintf(figures, sizeof figures, ": converting %3d%% of the log read, %.1f MB/s", percent, rate);
  return "\r" + label_ + figures + "\033[K";
}

std::string ProgressDisplay::Erase() {
  if (!shown_) return {};
  shown_ = false;
  return "\r\033[K";
}

}  // namespace zeltlog::cli
