// What a command did with its input, for front ends that report beyond the
// event list (the command-line tool chooses its exit status from it). The
// main job and every side converter return this one type.
#pragma once

#include <string>
#include <vector>

namespace zeltlog {

struct OutputFailure {
  std::string path;
  std::string reason;
};

// The outputs of one command: those written, in the order they were
// completed, and those that could not be created or completed.
struct OutputReport {
  std::vector<std::string> written;
  std::vector<OutputFailure> failed;
};

struct CommandResult {
  bool chosen = false;     // an input was chosen (false: the chooser was cancelled)
  bool inputRead = false;  // the input could be opened and was read
  // Why the input could not be read, or what is wrong with it or refused
  // about it, in the order found.
  std::vector<std::string> problems;
  OutputReport outputs;

  // The problem found last, or nothing: what a message box shows.
  std::string LastProblem() const { return problems.empty() ? std::string() : problems.back(); }
  bool Succeeded() const { return inputRead && problems.empty() && outputs.failed.empty(); }
  // Marks the input unreadable for `reason`.
  void Unreadable(std::string reason) {
    inputRead = false;
    problems.push_back(std::move(reason));
  }
};

}  // namespace zeltlog
