// What a side converter did, for front ends that report beyond the event
// list (the command-line tool chooses its exit status from it).
#pragma once

#include <string>
#include <vector>

namespace zeltlog {

struct SideResult {
  bool chosen = false;     // a file was chosen (false: the chooser was cancelled)
  bool inputRead = false;  // the input could be opened and was read
  std::string inputError;  // why it could not, or what was wrong with it
  std::string refusal;     // the message of an input the command refuses
  std::vector<std::string> written;
  struct Failure {
    std::string path;
    std::string reason;
  };
  std::vector<Failure> failed;

  bool Succeeded() const { return inputRead && inputError.empty() && refusal.empty() && failed.empty(); }
};

}  // namespace zeltlog
