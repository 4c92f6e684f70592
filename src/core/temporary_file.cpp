#include "core/temporary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

#include "core/output_names.h"

namespace zeltlog {
namespace {

// The named temporaries of the process. A temporary is created and
// registered, or put in place and forgotten, while the lock is held, so
// that the thread removing them on a signal never misses one.
struct Registry {
  std::mutex mutex;
  std::vector<std::string> names;
  std::vector<std::string> folders;
};

Registry& Temporaries() {
  static Registry registry;
  return registry;
}

void Forget(Registry& registry, const std::string& name) {
  auto& names = registry.names;
  names.erase(std::remove(names.begin(), names.end(), name), names.end());
}

// A short name that nobody can guess: ".~" and eight random letters or
// digits, then ".tmp", short enough beside any target name.
std::string RandomNameIn(const std::string& folder) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string name = ".~";
  for (int i = 0; i < 8; ++i) name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
  name += ".tmp";
  return JoinPath(folder, name);
}

std::string FolderFor(const std::string& target) {
  const std::string folder = FolderOf(target);
  return folder.empty() ? std::string(".") : folder;
}

constexpr int kNameTries = 100;

#ifdef _WIN32

int CreateExclusive(const std::string& path) {
  return _open(path.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int WriteSome(int fd, const char* data, size_t size) {
  return _write(fd, data, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
}
int CloseFile(int fd) { return _close(fd); }
bool ReplaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  errno = EACCES;
  return false;
}

#else

int CreateExclusive(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}
ssize_t WriteSome(int fd, const char* data, size_t size) { return write(fd, data, size); }
int CloseFile(int fd) { return close(fd); }
bool ReplaceFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

#endif

// Creates a named temporary in `folder` and registers it. The caller holds
// the registry's lock.
int CreateNamed(Registry& registry, const std::string& folder, std::string& name) {
  for (int i = 0; i < kNameTries; ++i) {
    name = RandomNameIn(folder);
    const int fd = CreateExclusive(name);
    if (fd >= 0) {
      registry.names.push_back(name);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

bool WriteAllTo(int fd, const char* data, size_t size) {
  while (size > 0) {
    const auto written = WriteSome(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

#if defined(O_TMPFILE)
// Gives an anonymous file the name `name`: through /proc first, which
// needs no privilege, then by the descriptor itself.
bool LinkAnonymous(int fd, const std::string& name) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  if (linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == EEXIST) return false;
  return linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0;
}

// Copies an anonymous file's bytes into a new descriptor, for the rare
// system where it cannot be linked (no /proc, no privilege).
bool CopyContents(int from, int to) {
  char buffer[1 << 16];
  off_t offset = 0;
  for (;;) {
    const ssize_t got = pread(from, buffer, sizeof buffer, offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    if (!WriteAllTo(to, buffer, static_cast<size_t>(got))) return false;
    offset += got;
  }
}
#endif

}  // namespace

bool TemporaryFile::Open(const std::string& target, int* errorNumber, bool allowAnonymous) {
  Discard();
  const std::string folder = FolderFor(target);
  int fd = -1;
  std::string name;
#if defined(O_TMPFILE)
  if (allowAnonymous) fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  // A file system without anonymous files says so in one of these ways.
  if (fd < 0 && allowAnonymous && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
    if (errorNumber) *errorNumber = errno;
    return false;
  }
#else
  (void)allowAnonymous;
#endif
  if (fd < 0) {
    Registry& registry = Temporaries();
    std::lock_guard<std::mutex> lock(registry.mutex);
    fd = CreateNamed(registry, folder, name);
  }
  if (fd < 0) {
    if (errorNumber) *errorNumber = errno;
    return false;
  }
#ifndef _WIN32
  // A replaced document keeps who may read it.
  struct stat existing;
  if (stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    if (fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
      // Not a member of that group: the file keeps the default one.
    }
    if (fchmod(fd, existing.st_mode & 07777) != 0) {
      // The mode stays the default; the document is written all the same.
    }
  }
#endif
  fd_ = fd;
  target_ = target;
  name_ = std::move(name);
  return true;
}

bool TemporaryFile::Write(const char* data, size_t size, int* errorNumber) {
  if (fd_ < 0) return false;
  if (WriteAllTo(fd_, data, size)) return true;
  if (errorNumber) *errorNumber = errno;
  return false;
}

bool TemporaryFile::Commit(int* errorNumber) {
  if (fd_ < 0) return false;
  Registry& registry = Temporaries();
  std::lock_guard<std::mutex> lock(registry.mutex);
  int error = 0;
  if (!name_.empty()) {
    if (CloseFile(fd_) != 0) error = errno;
    fd_ = -1;
    if (error == 0 && !ReplaceFile(name_, target_)) error = errno;
    if (error != 0) std::remove(name_.c_str());
    Forget(registry, name_);
    name_.clear();
  } else {
#if defined(O_TMPFILE)
    const std::string folder = FolderFor(target_);
    std::string name;
    bool linked = false;
    for (int i = 0; i < kNameTries && !linked; ++i) {
      name = RandomNameIn(folder);
      linked = LinkAnonymous(fd_, name);
      if (!linked && errno != EEXIST) break;
    }
    if (!linked && errno != EEXIST && errno != ENOSPC && errno != EDQUOT && errno != EROFS && errno != EIO) {
      // Cannot be linked here: copied into a named file instead.
      const int copy = CreateNamed(registry, folder, name);
      if (copy >= 0) {
        linked = CopyContents(fd_, copy);
        if (!linked) error = errno;
        if (CloseFile(copy) != 0 && linked) {
          linked = false;
          error = errno;
        }
        Forget(registry, name);
        if (!linked) std::remove(name.c_str());
      } else {
        error = errno;
      }
    } else if (!linked) {
      error = errno;
    }
    if (CloseFile(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (linked && error == 0 && !ReplaceFile(name, target_)) error = errno;
    if (linked && error != 0) std::remove(name.c_str());
#endif
  }
  if (error != 0 && errorNumber) *errorNumber = error;
  return error == 0;
}

void TemporaryFile::Discard() {
  if (fd_ < 0) return;
  CloseFile(fd_);
  fd_ = -1;
  if (!name_.empty()) {
    Registry& registry = Temporaries();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::remove(name_.c_str());
    Forget(registry, name_);
    name_.clear();
  }
}

int OpenScratchFile(const std::string& folder, int* errorNumber) {
  const std::string where = folder.empty() ? std::string(".") : folder;
#ifdef _WIN32
  std::string name;
  int fd = -1;
  for (int i = 0; i < kNameTries && fd < 0; ++i) {
    name = RandomNameIn(where);
    fd = _open(name.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_TEMPORARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno != EEXIST) break;
  }
#else
  int fd = -1;
#if defined(O_TMPFILE)
  fd = open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#endif
  if (fd < 0) {
    Registry& registry = Temporaries();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::string name;
    fd = CreateNamed(registry, where, name);
    if (fd >= 0) {
      unlink(name.c_str());
      Forget(registry, name);
    }
  }
#endif
  if (fd < 0 && errorNumber) *errorNumber = errno;
  return fd;
}

namespace {

// The files of a temporary folder, then the folder. A file that another
// thread creates meanwhile keeps the folder: it is tried a few times.
void RemoveFolderAndFiles(const std::string& path) {
#ifndef _WIN32
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (DIR* folder = opendir(path.c_str())) {
      while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") unlinkat(dirfd(folder), name.c_str(), 0);
      }
      closedir(folder);
    }
    if (rmdir(path.c_str()) == 0 || errno == ENOENT) return;
  }
#else
  (void)path;
#endif
}

}  // namespace

std::string MakeTemporaryFolder(const std::string& folder, const std::string& pattern, int* errorNumber) {
#ifndef _WIN32
  Registry& registry = Temporaries();
  std::lock_guard<std::mutex> lock(registry.mutex);
  std::string path = JoinPath(folder, pattern);
  if (mkdtemp(path.data())) {
    registry.folders.push_back(path);
    return path;
  }
#else
  (void)folder, (void)pattern;
  errno = ENOSYS;
#endif
  if (errorNumber) *errorNumber = errno;
  return {};
}

void RemoveTemporaryFolder(const std::string& path) {
  Registry& registry = Temporaries();
  std::lock_guard<std::mutex> lock(registry.mutex);
  RemoveFolderAndFiles(path);
  auto& folders = registry.folders;
  folders.erase(std::remove(folders.begin(), folders.end(), path), folders.end());
}

void RemoveTemporaries(bool keepLocked) {
  Registry& registry = Temporaries();
  registry.mutex.lock();
  for (const auto& name : registry.names) std::remove(name.c_str());
  registry.names.clear();
  for (const auto& folder : registry.folders) RemoveFolderAndFiles(folder);
  registry.folders.clear();
  // A caller that ends the process next keeps the lock, so that no other
  // thread creates or puts in place a temporary after this.
  if (!keepLocked) registry.mutex.unlock();
}

std::string TemporaryFile::ReadablePath() const {
  if (!name_.empty()) return name_;
  return "/proc/self/fd/" + std::to_string(fd_);
}

}  // namespace zeltlog
