// The progress line on a terminal while a log is converted: how much of
// the log the conversion has read and how fast, redrawn in place. It shows
// up only once a log has taken a second, so that short runs print nothing
// extra, and is erased before any other output.
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
  // The bytes of the log converted so far. Returns the text to write to
  // the terminal, often nothing.
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
};

}  // namespace zeltlog::cli
