// The operating system on Windows (core/os.h): UTF-8 file names to and
// from wide characters, the C library's descriptors, the atomic
// replacement of a finished document (MoveFileExW) and the shell's opener.
// There are no anonymous files, terminating signals or modules here.
#include "core/os.h"

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#include <shellapi.h>
// <windows.h> makes ReplaceFile a macro for its own ReplaceFileW; ours is
// the function of core/os.h.
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

namespace zeltlog::os {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  // Invalid bytes become U+FFFD, as the C library's functions make them
  // under the UTF-8 code page, so both name the same file.
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    default:
      return EIO;
  }
}

int OpenNew(const std::string& path, int extraFlags) {
  return _open(path.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT | extraFlags,
               _S_IREAD | _S_IWRITE);
}

}  // namespace

std::filesystem::path NativePath(const std::string& utf8) { return std::filesystem::path(Wide(utf8)); }

std::string Utf8Path(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

int CreateExclusive(const std::string& path) { return OpenNew(path, 0); }

int CreateExclusiveScratch(const std::string& path) { return OpenNew(path, _O_TEMPORARY); }

int OpenAnonymous(const std::string&, unsigned) {
  errno = EOPNOTSUPP;
  return -1;
}

bool LinkAnonymous(int, const std::string&) {
  errno = EOPNOTSUPP;
  return false;
}

std::string DescriptorPath(int) { return {}; }

void TakeModeOf(int, const std::string&) {}

void TakeModeOfFile(const std::string&, const std::string&) {}

long long WriteSome(int fd, const char* data, size_t size) {
  return _write(fd, data, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
}

long long WriteAt(int fd, const char* data, size_t size, unsigned long long offset) {
  if (_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) return -1;
  return WriteSome(fd, data, size);
}

long long ReadAt(int fd, char* data, size_t size, unsigned long long offset) {
  if (_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) return -1;
  return _read(fd, data, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
}

int CloseFile(int fd) { return _close(fd); }

bool IsOutOfSpace(int error) { return error == ENOSPC; }

int ReplaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return ErrnoOf(GetLastError());
}

int MoveIfAbsent(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING a file there makes it fail.
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : ErrnoOf(GetLastError());
}

// Windows renames a folder only onto a free name: an old folder moves
// aside first, and back should the new one fail to take its place; then it
// takes the new one's former name, for the caller to remove.
int ExchangeFolder(const std::string& from, const std::string& to) {
  auto move = [](const std::string& a, const std::string& b) {
    return MoveFileExW(Wide(a).c_str(), Wide(b).c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : ErrnoOf(GetLastError());
  };
  const DWORD attributes = GetFileAttributesW(Wide(to).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return move(from, to);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ENOTDIR;
  const std::string aside = from + "~";
  if (const int error = move(to, aside); error != 0) return error;
  if (const int error = move(from, to); error != 0) {
    move(aside, to);
    return error;
  }
  return move(aside, from);
}

std::FILE* OpenRegularFile(const std::string& path, unsigned long long* size, std::string* reason) {
  struct _stat64 status;
  if (_stat64(path.c_str(), &status) == 0 && (status.st_mode & _S_IFMT) != _S_IFREG) {
    if (reason) *reason = (status.st_mode & _S_IFMT) == _S_IFDIR ? "is a folder, not a file" : kNotRegularFile;
    return nullptr;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    if (reason) *reason = errno ? std::strerror(errno) : "cannot be opened";
    return nullptr;
  }
  *size = _fstat64(_fileno(file), &status) == 0 ? static_cast<unsigned long long>(status.st_size) : 0;
  return file;
}

std::optional<FileKey> KeyOfFile(const std::string& path) {
  // No inode numbers here: the canonical path stands for the file.
  std::error_code ec;
  const auto canonical = std::filesystem::weakly_canonical(NativePath(path), ec);
  if (ec) return std::nullopt;
  return FileKey{0, 0, Utf8Path(canonical), std::filesystem::exists(canonical, ec)};
}

bool FollowOutputPath(const std::string& path, std::string* target, std::string* reason) {
  std::error_code ec;
  const auto status = std::filesystem::status(NativePath(path), ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    *reason = std::filesystem::is_directory(status) ? "a folder has that name" : kNotRegularFile;
    return false;
  }
  *target = path;
  return true;
}

std::string MakePrivateFolder(const std::string& folder, const std::string& prefix) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
    const std::string path = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (CreateDirectoryW(Wide(path).c_str(), nullptr)) return path;
    errno = ErrnoOf(GetLastError());
    if (errno != EEXIST) return {};
  }
  return {};
}

int ProcessId() { return _getpid(); }

bool StandardErrorIsTerminal() { return false; }

void PrepareStandardStreams() {
  // The same bytes as on Linux: line ends are not translated (the event
  // list on standard output is CR LF already).
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void WriteToStandardError(const char* text, size_t size) { std::fwrite(text, 1, size, stderr); }

void WatchTerminatingSignals(void (*)(int)) {}

void OpenWithDesktop(const std::string& path) {
  ShellExecuteW(nullptr, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOW);
}

bool HasProgramModules() { return false; }

std::string ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return Utf8Path(std::filesystem::path(path).parent_path());
}

void* OpenLibrary(const std::string&, std::string* reason) {
  *reason = "this build has no modules";
  return nullptr;
}

void* FindInLibrary(void*, const char*) { return nullptr; }

}  // namespace zeltlog::os
