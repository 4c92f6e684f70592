#include "core/output_set.h"

#include <cerrno>
#include <cstring>

#include "core/os.h"
#include "core/output_names.h"
#include "core/temporary_file.h"

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
  std::string finished, target;
  if (!file.Finish(&finished, &reason)) return false;
  bool packed = os::FollowOutputPath(file.path(), &target, &reason);
  // The packer makes files of its own names: in a private folder beside
  // the target, which a signal removes whole, and from there into place.
  const std::string folder = packed ? MakeTemporaryFolder(FolderOf(target), ".~") : std::string();
  if (packed && folder.empty()) {
    reason = std::strerror(errno);
    packed = false;
  }
  if (packed) {
    const std::string made = JoinPath(folder, FileNameOf(target));
    packed = packer_(finished, made, &reason);
    if (packed) {
      os::TakeModeOfFile(made, target);
      if (const int error = os::ReplaceFile(made, target); error != 0) {
        reason = std::strerror(error);
        packed = false;
      }
    }
    RemoveTemporaryFolder(folder);
  }
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
