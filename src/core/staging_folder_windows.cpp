// The staging folder on Windows: made fresh beside the targets, each file
// moved into place with MoveFileExW once the whole set is written (a link
// of a file's name is replaced, never written through). There are no
// advisory locks of folders here: two runs publishing into one folder at
// once may interleave their files, and a folder left by a run that was
// killed outright stays (its name, .zeltlog-set-XXXXXX, says what it is).
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/os.h"
#include "core/output_names.h"
#include "core/staging_folder.h"
#include "core/temporary_file.h"

namespace zeltlog {
namespace {

constexpr char kPrefix[] = ".zeltlog-set-";

}  // namespace

bool StagingFolder::Create(const std::string& folder, std::string& error) {
  Discard();
  folder_ = folder.empty() ? std::string(".") : folder;
  path_ = MakeTemporaryFolder(folder_, kPrefix);
  if (path_.empty()) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

bool StagingFolder::Publish(std::string& failedName, std::string& error) {
  failedName.clear();
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(os::NativePath(path_), ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(os::Utf8Path(it->path().filename()));
  }
  if (ec) {
    error = ec.message();
    return false;
  }
  // A folder of a file's name is found before any file moves.
  for (const std::string& name : names) {
    if (std::filesystem::is_directory(os::NativePath(JoinPath(folder_, name)), ec)) {
      failedName = name;
      error = "cannot replace the existing file";
      return false;
    }
  }
  for (const std::string& name : names) {
    if (const int moved = os::ReplaceFile(JoinPath(path_, name), JoinPath(folder_, name)); moved != 0) {
      failedName = name;
      error = moved == EACCES || moved == EEXIST ? "cannot replace the existing file" : std::strerror(moved);
      return false;
    }
  }
  return true;
}

void StagingFolder::Discard() {
  if (!path_.empty()) RemoveTemporaryFolder(path_);
  path_.clear();
  lock_ = -1;
}

}  // namespace zeltlog
