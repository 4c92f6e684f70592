#include "core/output_set.h"

#include <filesystem>

namespace zeltlog {

OutputFile* OutputSet::Create(const std::string& path, OutputFile::Mode mode) {
  OutputFile& file = files_.emplace_back();
  std::string reason;
  if (!file.Create(path, mode, &reason)) {
    files_.pop_back();
    events_.AddEvent(EventKind::Error, "Cannot create " + path);
    report_.failed.push_back({path, reason});
    return nullptr;
  }
  return &file;
}

bool OutputSet::Commit(OutputFile* file) {
  if (!file || !file->IsOpen()) return true;
  const std::string path = file->path();
  std::string reason;
  if (packer_ ? Pack(*file, reason) : file->Close(&reason)) {
    report_.written.push_back(path);
    return true;
  }
  events_.AddEvent(EventKind::Error, "Cannot write " + path);
  report_.failed.push_back({path, reason});
  return false;
}

bool OutputSet::Pack(OutputFile& file, std::string& reason) {
  std::string finished;
  if (!file.Finish(&finished, &reason)) return false;
  const bool packed = packer_(finished, file.path(), &reason);
  file.Abandon();  // the finished document lived only to be packed
  return packed;
}

void OutputSet::CommitAll() {
  for (OutputFile& file : files_) Commit(&file);
}

void OutputSet::AbandonAll() {
  for (OutputFile& file : files_) file.Abandon();
}

}  // namespace zeltlog
