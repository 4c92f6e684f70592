#include "core/temporary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <random>
#include <vector>

#include "core/os.h"
#include "core/output_names.h"

namespace zeltlog {
namespace {

// The named temporaries of the process. A temporary is created and
// registered, or put in place and forgotten, while the lock is held, so
// that the thread removing them on a signal never misses one.
struct Registry {
  std::mutex mutex;
  std::vector<std::string> names;
  std::vector<std::string> folders;  // private folders, removed whole
};

Registry& Temporaries() {
  static Registry registry;
  return registry;
}

void Forget(std::vector<std::string>& names, const std::string& name) {
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


// Creates a named temporary in `folder` and registers it. The caller holds
// the registry's lock.
int CreateNamed(Registry& registry, const std::string& folder, std::string& name) {
  for (int i = 0; i < kNameTries; ++i) {
    name = RandomNameIn(folder);
    const int fd = os::CreateExclusive(name);
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
    const auto written = os::WriteSome(fd, data, size);
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

// Copies an anonymous file's bytes into a new descriptor, for the rare
// system where it cannot be linked (no /proc, no privilege).
bool CopyContents(int from, int to) {
  char buffer[1 << 16];
  unsigned long long offset = 0;
  for (;;) {
    const long long got = os::ReadAt(from, buffer, sizeof buffer, offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    if (!WriteAllTo(to, buffer, static_cast<size_t>(got))) return false;
    offset += static_cast<unsigned long long>(got);
  }
}

}  // namespace

bool TemporaryFile::Open(const std::string& target, int* errorNumber, bool allowAnonymous) {
  Discard();
  const std::string folder = FolderFor(target);
  int fd = allowAnonymous ? os::OpenAnonymous(folder, 0666) : -1;
  std::string name;
  if (fd < 0 && allowAnonymous && errno != EOPNOTSUPP) {
    if (errorNumber) *errorNumber = errno;
    return false;
  }
  if (fd < 0) {
    Registry& registry = Temporaries();
    std::lock_guard<std::mutex> lock(registry.mutex);
    fd = CreateNamed(registry, folder, name);
  }
  if (fd < 0) {
    if (errorNumber) *errorNumber = errno;
    return false;
  }
  // A replaced document keeps who may read it.
  os::TakeModeOf(fd, target);
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
    if (os::CloseFile(fd_) != 0) error = errno;
    fd_ = -1;
    if (error == 0) error = os::ReplaceFile(name_, target_);
    if (error != 0) std::remove(name_.c_str());
    Forget(registry.names, name_);
    name_.clear();
  } else {
    const std::string folder = FolderFor(target_);
    std::string name;
    bool linked = false;
    for (int i = 0; i < kNameTries && !linked; ++i) {
      name = RandomNameIn(folder);
      linked = os::LinkAnonymous(fd_, name);
      if (!linked && errno != EEXIST) break;
    }
    if (!linked && errno != EEXIST && !os::IsOutOfSpace(errno) && errno != EROFS && errno != EIO) {
      // Cannot be linked here: copied into a named file instead.
      const int copy = CreateNamed(registry, folder, name);
      if (copy >= 0) {
        linked = CopyContents(fd_, copy);
        if (!linked) error = errno;
        if (os::CloseFile(copy) != 0 && linked) {
          linked = false;
          error = errno;
        }
        Forget(registry.names, name);
        if (!linked) std::remove(name.c_str());
      } else {
        error = errno;
      }
    } else if (!linked) {
      error = errno;
    }
    if (os::CloseFile(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (linked && error == 0) error = os::ReplaceFile(name, target_);
    if (linked && error != 0) std::remove(name.c_str());
  }
  if (error != 0 && errorNumber) *errorNumber = error;
  return error == 0;
}

void TemporaryFile::Discard() {
  if (fd_ < 0) return;
  os::CloseFile(fd_);
  fd_ = -1;
  if (!name_.empty()) {
    Registry& registry = Temporaries();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::remove(name_.c_str());
    Forget(registry.names, name_);
    name_.clear();
  }
}

std::string TemporaryFile::ReadablePath() const {
  if (!name_.empty()) return name_;
  return os::DescriptorPath(fd_);
}

int OpenScratchFile(const std::string& folder, int* errorNumber) {
  const std::string where = folder.empty() ? std::string(".") : folder;
  int fd = os::OpenAnonymous(where, 0600);
  if (fd < 0) {
    // Its name is gone before the call returns; the lock keeps a signal's
    // removal of the temporaries from ending the process in between.
    std::lock_guard<std::mutex> lock(Temporaries().mutex);
    for (int i = 0; i < kNameTries && fd < 0; ++i) {
      fd = os::CreateExclusiveScratch(RandomNameIn(where));
      if (fd < 0 && errno != EEXIST) break;
    }
  }
  if (fd < 0 && errorNumber) *errorNumber = errno;
  return fd;
}

std::string MakeTemporaryFolder(const std::string& folder, const std::string& prefix) {
  Registry& registry = Temporaries();
  std::lock_guard<std::mutex> lock(registry.mutex);
  std::string made = os::MakePrivateFolder(folder, prefix);
  if (!made.empty()) registry.folders.push_back(made);
  return made;
}

void RemoveTemporaryFolder(const std::string& path) {
  Registry& registry = Temporaries();
  std::lock_guard<std::mutex> lock(registry.mutex);
  std::error_code ignored;
  std::filesystem::remove_all(os::NativePath(path), ignored);
  Forget(registry.folders, path);
}

void RemoveTemporaries(bool keepLocked) {
  Registry& registry = Temporaries();
  registry.mutex.lock();
  for (const auto& name : registry.names) std::remove(name.c_str());
  registry.names.clear();
  std::error_code ignored;
  for (const auto& folder : registry.folders) std::filesystem::remove_all(os::NativePath(folder), ignored);
  registry.folders.clear();
  // A caller that ends the process next keeps the lock, so that no other
  // thread creates or puts in place a temporary after this.
  if (!keepLocked) registry.mutex.unlock();
}

}  // namespace zeltlog
