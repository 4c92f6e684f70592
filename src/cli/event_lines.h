// Where the command-line tool sends the event list: a file in the exported
// format, a raw part of one (logs converted in parallel), or standard
// output ("--events -") with the very bytes the file would hold.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "converters/event_export.h"

namespace zeltlog::cli {

inline constexpr std::string_view kStandardOutputName = "-";

class EventLines {
 public:
  // Opens `path`, or standard output when it is "-", and writes the header.
  bool Open(const std::string& path, std::string* error = nullptr);
  // Opens a file without the header, for a part of a list joined later.
  bool OpenRaw(const std::string& path, std::string* error = nullptr);
  void Add(std::string_view line);
  bool Close(std::string* error = nullptr);

 private:
  // Standard output gets CR LF line ends as the file does.
  void WriteToStream(std::string_view text);

  EventListWriter file_;
  std::FILE* stream_ = nullptr;
};

}  // namespace zeltlog::cli
