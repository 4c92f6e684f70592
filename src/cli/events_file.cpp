#include "cli/events_file.h"

#include <cstdio>

namespace zeltlog::cli {
namespace {

void Complain(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "zeltlog-cli: %s: cannot be written: %s\n", path.c_str(), reason.c_str());
}

}  // namespace

bool EventsFile::Open(const CommonOptions& common) {
  path_ = common.eventsPath;
  if (path_.empty()) return true;
  writer_ = std::make_unique<EventListWriter>();
  std::string reason;
  if (writer_->Open(path_, &reason)) return true;
  writer_.reset();
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

}  // namespace zeltlog::cli
