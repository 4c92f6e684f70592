#include "core/staging_folder.h"

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/os.h"
#include "core/output_names.h"
#include "core/temporary_file.h"

namespace zeltlog {
namespace {

constexpr char kPrefix[] = ".zeltlog-set-";
constexpr size_t kRandomLength = 6;  // mkdtemp's XXXXXX

bool HasOurPattern(const std::string& name) {
  const size_t prefix = sizeof kPrefix - 1;
  return name.size() == prefix + kRandomLength && name.compare(0, prefix, kPrefix) == 0;
}

std::vector<std::string> NamesIn(int folder) {
  std::vector<std::string> names;
  const int copy = dup(folder);
  if (copy < 0) return names;
  DIR* listing = fdopendir(copy);
  if (!listing) {
    close(copy);
    return names;
  }
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(listing);
  return names;
}

// Staging folders that runs of this user left when they were killed: the
// name of one, owned by this user, mode 0700, and no run holding its lock.
// Only their plain files are removed, never what a link points at.
void RemoveStaleFolders(const std::string& folder) {
  const int parent = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return;
  for (const std::string& name : NamesIn(parent)) {
    if (!HasOurPattern(name)) continue;
    const int stale = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (stale < 0) continue;
    struct stat status;
    if (fstat(stale, &status) == 0 && status.st_uid == geteuid() && (status.st_mode & 07777) == 0700 &&
        flock(stale, LOCK_EX | LOCK_NB) == 0) {
      for (const std::string& file : NamesIn(stale)) {
        struct stat inner;
        if (fstatat(stale, file.c_str(), &inner, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(inner.st_mode)) {
          unlinkat(stale, file.c_str(), 0);
        }
      }
      unlinkat(parent, name.c_str(), AT_REMOVEDIR);
    }
    close(stale);
  }
  close(parent);
}

}  // namespace

bool StagingFolder::Create(const std::string& folder, std::string& error) {
  Discard();
  folder_ = folder.empty() ? std::string(".") : folder;
  RemoveStaleFolders(folder_);
  for (int attempt = 0; attempt < 10; ++attempt) {
    path_ = MakeTemporaryFolder(folder_, kPrefix);
    if (path_.empty()) {
      error = std::strerror(errno);
      return false;
    }
    // Locked at once; a run that removed it as stale before the lock was
    // taken leaves no folder at that name, and another is made.
    lock_ = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat held, named;
    if (lock_ >= 0 && flock(lock_, LOCK_EX) == 0 && fstat(lock_, &held) == 0 && stat(path_.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      return true;
    }
    const int errorNumber = errno;
    Discard();
    if (errorNumber != ENOENT) {
      error = std::strerror(errorNumber);
      return false;
    }
  }
  error = std::strerror(EAGAIN);
  return false;
}

// Puts the staged file `from` in place of `target`, a file in another
// folder (where a symbolic link of the set's name leads): by a rename
// where both lie on one file system, else through a temporary beside the
// target that takes its place once whole.
int MoveOver(const std::string& from, const std::string& target) {
  if (rename(from.c_str(), target.c_str()) == 0) return 0;
  if (errno != EXDEV) return errno;
  const int source = open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (source < 0) return errno;
  TemporaryFile copy;
  int errorNumber = 0;
  bool written = copy.Open(target, &errorNumber);
  std::vector<char> buffer(1 << 16);
  while (written) {
    const ssize_t got = read(source, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got < 0) errorNumber = errno, written = false;
      break;
    }
    written = copy.Write(buffer.data(), static_cast<size_t>(got), &errorNumber);
  }
  close(source);
  if (written && copy.Commit(&errorNumber)) return 0;
  return errorNumber ? errorNumber : EIO;
}

bool StagingFolder::Publish(std::string& failedName, std::string& error) {
  const int from = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const int to = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A file that cannot take its place, a folder of its name above all.
  auto fail = [&](const std::string& name, const std::string& reason) {
    failedName = name;
    error = reason;
    if (from >= 0) close(from);
    if (to >= 0) close(to);
    return false;
  };
  if (from < 0 || to < 0) return fail("", std::strerror(errno));
  // Runs that publish into one folder take turns, so each set is whole.
  while (flock(to, LOCK_EX) != 0) {
    if (errno != EINTR) return fail("", std::strerror(errno));
  }
  // Where each file goes: its name in the folder, or where a symbolic link
  // of that name leads, so that the link stays (as for the documents).
  const std::vector<std::string> names = NamesIn(from);
  std::vector<std::string> linkTargets(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    struct stat target;
    if (fstatat(to, names[i].c_str(), &target, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(target.st_mode)) return fail(names[i], "cannot replace the existing file");
    std::string reason;
    if (S_ISLNK(target.st_mode) && !os::FollowOutputPath(JoinPath(folder_, names[i]), &linkTargets[i], &reason)) {
      return fail(names[i], "cannot write where its symbolic link leads: " + reason);
    }
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (linkTargets[i].empty()) {
      if (renameat(from, names[i].c_str(), to, names[i].c_str()) != 0) return fail(names[i], "cannot replace the existing file");
    } else if (const int moved = MoveOver(JoinPath(path_, names[i]), linkTargets[i]); moved != 0) {
      return fail(names[i], std::strerror(moved));
    }
  }
  close(from);
  close(to);  // and its lock
  return true;
}

void StagingFolder::Discard() {
  if (!path_.empty()) RemoveTemporaryFolder(path_);
  path_.clear();
  if (lock_ >= 0) close(lock_);
  lock_ = -1;
}

}  // namespace zeltlog
