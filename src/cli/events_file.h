// The --events file every subcommand writes: the whole event list in the
// exported format, streamed as the lines come; "-" is standard output.
#pragma once

#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/event_lines.h"

namespace zeltlog::cli {

class EventsFile {
 public:
  // Opens the file when the options ask for one. False, after a message on
  // standard error, when it cannot be created.
  bool Open(const CommonOptions& common);
  // The writer, or null when no file was asked for.
  EventLines* writer() { return writer_.get(); }
  // Where the list of the log at `index` is kept while logs are converted
  // in parallel: beside the file, or in the temporary folder for standard
  // output.
  std::string PartPath(size_t index) const;
  // Completes the file. False, after a message, when it could not be written.
  bool Close();
  // Drops a list that lost lines: a file of that name stays as it was.
  void Drop() { writer_.reset(); }

 private:
  std::string path_;
  std::unique_ptr<EventLines> writer_;
};

// True when the event list goes to standard output ("--events -").
bool EventsToStandardOutput(const CommonOptions& common);

}  // namespace zeltlog::cli
