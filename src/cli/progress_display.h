// The progress line on a terminal while a log is converted: which pass is
// under way, how much of the log it has read and how fast, redrawn in
// place. It shows up only once a log has taken a second, so that short
// runs print nothing extra, and is erased before any other output.
#pragma once

#include <functional>
#include <string>

namespace zeltlog::cli {

class ProgressDisplay {
 public:
  // `clock` gives seconds from any fixed start; the steady clock by default.
  explicit ProgressDisplay(std::function<double()> clock = {});

  // A new log starts: its name heads the line and its second starts.
  void Start(std::string label);
  // The bytes of the log read so far by the current pass. Returns the text
  // to write to the terminal, often nothing. A pass that starts over from
  // the beginning of the log is the next pass.
  std::string Update(unsigned long long done, unsigned long long total);
  // The text that removes the line, when one is shown.
  std::string Erase();

  static constexpr double kDelaySeconds = 1.0;
  static constexpr double kRedrawSeconds = 0.1;

 private:
  std::function<double()> clock_;
  std::string label_;
  double started_ = 0.0;
  double drawn_ = 0.0;
  bool shown_ = false;
  int pass_ = 0;
  unsigned long long lastDone_ = 0;
  unsigned long long earlierPasses_ = 0;  // bytes read by the passes before this one
};

}  // namespace zeltlog::cli
