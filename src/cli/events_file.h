// The --events file every subcommand writes: the whole event list in the
// exported format, streamed as the lines come.
#pragma once

#include <memory>
#include <string>

#include "cli/commands.h"
#include "converters/event_export.h"

namespace zeltlog::cli {

class EventsFile {
 public:
  // Opens the file when the options ask for one. False, after a message on
  // standard error, when it cannot be created.
  bool Open(const CommonOptions& common);
  // The writer, or null when no file was asked for.
  EventListWriter* writer() { return writer_.get(); }
  // Completes the file. False, after a message, when it could not be written.
  bool Close();
  // Drops a list that lost lines: a file of that name stays as it was.
  void Drop() { writer_.reset(); }

 private:
  std::string path_;
  std::unique_ptr<EventListWriter> writer_;
};

}  // namespace zeltlog::cli
