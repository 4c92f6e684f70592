// The operating system on Linux and other POSIX systems (core/os.h).
#include "core/os.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

extern char** environ;

namespace zeltlog::os {
namespace {

// The folder a path's last name is in; "." when the path has none.
std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// True for a folder of the kernel's process file system, whose links
// (/proc/self/fd/N) stand for open files, not for names in a folder.
bool IsProcessFileSystem(const std::string& folder) {
#if defined(__linux__)
  constexpr long kProcMagic = 0x9fa0;
  struct statfs system;
  return statfs(folder.c_str(), &system) == 0 && static_cast<long>(system.f_type) == kProcMagic;
#else
  (void)folder;
  return false;
#endif
}

// A shared folder: sticky and writable by everyone, such as /tmp.
bool IsSharedFolder(const struct stat& folder) {
  return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

}  // namespace

std::filesystem::path NativePath(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string Utf8Path(const std::filesystem::path& path) { return path.string(); }

int CreateExclusive(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

int CreateExclusiveScratch(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0) unlink(path.c_str());
  return fd;
}

int OpenAnonymous(const std::string& folder, unsigned mode) {
#if defined(O_TMPFILE)
  const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode));
  // A file system without anonymous files says so in one of these ways.
  if (fd < 0 && (errno == EISDIR || errno == EINVAL || errno == ENOENT)) errno = EOPNOTSUPP;
  return fd;
#else
  (void)folder, (void)mode;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

bool LinkAnonymous(int fd, const std::string& name) {
  // Through /proc first, which needs no privilege, then by the descriptor.
  const std::string proc = DescriptorPath(fd);
  if (linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == EEXIST) return false;
#if defined(AT_EMPTY_PATH)
  return linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0;
#else
  return false;
#endif
}

std::string DescriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

void TakeModeOf(int fd, const std::string& existing) {
  struct stat status;
  if (stat(existing.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return;
  if (fchown(fd, static_cast<uid_t>(-1), status.st_gid) != 0) {
    // Not a member of that group: the file keeps the default one.
  }
  if (fchmod(fd, status.st_mode & 07777) != 0) {
    // The mode stays the default; the file is written all the same.
  }
}

void TakeModeOfFile(const std::string& path, const std::string& existing) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  TakeModeOf(fd, existing);
  close(fd);
}

long long WriteSome(int fd, const char* data, size_t size) { return write(fd, data, size); }

long long WriteAt(int fd, const char* data, size_t size, unsigned long long offset) {
  return pwrite(fd, data, size, static_cast<off_t>(offset));
}

long long ReadAt(int fd, char* data, size_t size, unsigned long long offset) {
  return pread(fd, data, size, static_cast<off_t>(offset));
}

int CloseFile(int fd) { return close(fd); }

bool IsOutOfSpace(int error) { return error == ENOSPC || error == EDQUOT; }

int ReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int ExchangeFolder(const std::string& from, const std::string& to) {
  struct stat status;
  if (lstat(to.c_str(), &status) != 0) {
    if (errno != ENOENT) return errno;
    // No folder there yet: a rename that never replaces one made meanwhile.
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
  }
  if (!S_ISDIR(status.st_mode)) return ENOTDIR;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system that cannot exchange: the old folder moves aside first,
  // and back should the new one fail to take its place.
  const std::string aside = from + "~";
  if (std::rename(to.c_str(), aside.c_str()) != 0) return errno;
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    const int error = errno;
    std::rename(aside.c_str(), to.c_str());
    return error;
  }
  return std::rename(aside.c_str(), from.c_str()) == 0 ? 0 : errno;
}

std::FILE* OpenRegularFile(const std::string& path, unsigned long long* size, std::string* reason) {
  // A FIFO, a device or a terminal may never end, or block at its opening:
  // only regular files are read, and that is known before opening.
  struct stat status;
  if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    if (reason) *reason = S_ISDIR(status.st_mode) ? "is a folder, not a file" : kNotRegularFile;
    return nullptr;
  }
  errno = 0;
  // Without blocking, in case the path was swapped for a FIFO meanwhile;
  // the file opened is tested once more.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
    close(fd);
    if (reason) *reason = kNotRegularFile;
    return nullptr;
  }
  std::FILE* file = fd >= 0 ? fdopen(fd, "rb") : nullptr;
  if (fd >= 0 && !file) close(fd);
  if (!file) {
    if (reason) *reason = errno ? std::strerror(errno) : "cannot be opened";
    return nullptr;
  }
  *size = static_cast<unsigned long long>(status.st_size);
  return file;
}

std::optional<FileKey> KeyOfFile(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) == 0) {
    return FileKey{static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino), {},
                   true};
  }
  const size_t separator = path.find_last_of("/\\");
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  const std::string folder = separator == std::string::npos ? "." : separator == 0 ? "/" : path.substr(0, separator);
  if (stat(folder.c_str(), &status) != 0) return std::nullopt;
  if (name.empty()) return std::nullopt;
  return FileKey{static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino), name,
                 false};
}

bool FollowOutputPath(const std::string& path, std::string* target, std::string* reason) {
  std::string current = path;
  // As many links as the kernel follows in one path.
  for (int hop = 0; hop <= 40; ++hop) {
    struct stat status;
    if (lstat(current.c_str(), &status) != 0) {
      // Nothing of that name: the document is made there, and a folder
      // that is missing is reported when its temporary cannot be.
      *target = current;
      return true;
    }
    if (S_ISREG(status.st_mode)) {
      *target = current;
      return true;
    }
    if (S_ISDIR(status.st_mode)) {
      *reason = "a folder has that name";
      return false;
    }
    if (!S_ISLNK(status.st_mode)) {
      *reason = kNotRegularFile;
      return false;
    }
    const std::string folder = FolderPart(current);
    struct stat holder;
    // The kernel's rule for links in shared folders (protected_symlinks).
    if (stat(folder.c_str(), &holder) == 0 && IsSharedFolder(holder) && status.st_uid != geteuid() &&
        status.st_uid != holder.st_uid) {
      *reason = "a symbolic link of another user in a shared folder";
      return false;
    }
    if (IsProcessFileSystem(folder)) {
      *reason = kNotRegularFile;
      return false;
    }
    std::vector<char> text(4096);
    const ssize_t length = readlink(current.c_str(), text.data(), text.size());
    if (length <= 0 || static_cast<size_t>(length) >= text.size()) {
      *reason = std::strerror(length < 0 ? errno : ENAMETOOLONG);
      return false;
    }
    std::string next(text.data(), static_cast<size_t>(length));
    current = next.front() == '/' ? next : folder + "/" + next;
  }
  *reason = std::strerror(ELOOP);
  return false;
}

std::string MakePrivateFolder(const std::string& folder, const std::string& prefix) {
  std::string pattern = (folder.empty() ? std::string(".") : folder) + "/" + prefix + "XXXXXX";
  if (!mkdtemp(pattern.data())) return {};
  return pattern;
}

int ProcessId() { return static_cast<int>(getpid()); }

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

void PrepareStandardStreams() {
  // A file size limit must show up as a failed write that is reported, not
  // kill the process half-way through a document; a reader of standard
  // output that goes away (--events - | head) stops the printing, not the
  // documents.
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // Opened read-only: the lowest free number is `fd` itself, and a
      // write to it fails with EBADF as it would have.
      const int held = open("/dev/null", O_RDONLY);
      if (held >= 0 && held != fd) close(held);
    }
  }
}

void WriteToStandardError(const char* text, size_t size) {
  if (write(STDERR_FILENO, text, size) < 0) {
    // Nothing more can be said.
  }
}

void WatchTerminatingSignals(void (*onSignal)(int signal)) {
  sigset_t watched;
  sigemptyset(&watched);
  int count = 0;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current;
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&watched, signal);
    ++count;
  }
  if (count == 0 || pthread_sigmask(SIG_BLOCK, &watched, nullptr) != 0) return;
  // Every thread started later inherits the mask; only this one waits.
  try {
    std::thread([watched, onSignal] {
      int signal = 0;
      while (sigwait(&watched, &signal) != 0) {
      }
      onSignal(signal);
    }).detach();
  } catch (const std::exception&) {
    // No thread to spare: the signals keep their default action.
    pthread_sigmask(SIG_UNBLOCK, &watched, nullptr);
  }
}

void OpenWithDesktop(const std::string& path) {
#ifdef __APPLE__
  const char* opener = "open";
#else
  const char* opener = "xdg-open";
#endif
  char* argv[] = {const_cast<char*>(opener), const_cast<char*>(path.c_str()), nullptr};
  // The viewer starts with no signal blocked or ignored by this tool.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (const int signal : {SIGPIPE, SIGXFSZ}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid;
  if (posix_spawnp(&pid, opener, nullptr, &attributes, argv, environ) == 0) waitpid(pid, nullptr, 0);
  posix_spawnattr_destroy(&attributes);
}

bool HasProgramModules() { return true; }

std::string ExecutableFolder() {
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return {};
  std::string executable(path.data(), static_cast<size_t>(length));
  const size_t slash = executable.find_last_of('/');
  return slash == std::string::npos ? std::string() : executable.substr(0, slash);
}

void* OpenLibrary(const std::string& path, std::string* reason) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    if (const char* error = dlerror()) *reason = error;
  }
  return library;
}

void* FindInLibrary(void* library, const char* name) { return dlsym(library, name); }

}  // namespace zeltlog::os
