#include "cli/events_file.h"

#include <cstdio>
#include <filesystem>

#include "core/os.h"

namespace zeltlog::cli {
namespace {

void Complain(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "zeltlog-cli: %s: cannot be written: %s\n", path.c_str(), reason.c_str());
}

}  // namespace

bool EventsFile::Open(const CommonOptions& common) {
  path_ = common.eventsPath;
  if (path_.empty()) return true;
  writer_ = std::make_unique<EventLines>();
  std::string reason;
  if (writer_->Open(path_, &reason)) return true;
  writer_.reset();
  // A device, a pipe or a descriptor of this process: the list has a
  // name for standard output of its own.
  if (reason == os::kNotRegularFile) reason += " (--events - writes to standard output)";
  Complain(path_, reason);
  return false;
}

bool EventsFile::Close() {
  if (!writer_) return true;
  std::string reason;
  const bool closed = writer_->Close(&reason);
  if (!closed) Complain(path_, reason);
  writer_.reset();
  return closed;
}

std::string EventsFile::PartPath(size_t index) const {
  const std::string part = ".part" + std::to_string(index);
  if (path_ != kStandardOutputName) return path_ + part;
  const std::string process = std::to_string(os::ProcessId());
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return os::Utf8Path(folder / ("zeltlog-events-" + process + part));
}

bool EventsToStandardOutput(const CommonOptions& common) { return common.eventsPath == kStandardOutputName; }

}  // namespace zeltlog::cli
