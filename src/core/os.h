// The operating system, in one place: what the program asks of files,
// processes, signals and shared libraries, with one implementation for
// POSIX systems (os_posix.cpp) and one for Windows (os_windows.cpp). The
// build compiles one of the two; no other file asks which system it is on.
//
// File names are UTF-8 inside the program. The C library's fopen takes
// them as they are (on Windows through the UTF-8 code page that the
// programs declare in their manifest); std::filesystem on Windows wants
// wide characters, and NativePath and Utf8Path convert both ways.
//
// Functions that return a descriptor give -1 on failure, and functions
// that return bool give false, with errno's value set.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace zeltlog::os {

std::filesystem::path NativePath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

// ---- Files

// Creates `path` for reading and writing, failing when anything (a link
// included) has that name already.
int CreateExclusive(const std::string& path);
// The same, for a scratch file whose name is gone as soon as it is open
// (removed at once, or deleted by the system on close).
int CreateExclusiveScratch(const std::string& path);
// A file with no name in `folder` (O_TMPFILE) with `mode`. errno is
// EOPNOTSUPP where the system or the file system has no such files.
int OpenAnonymous(const std::string& folder, unsigned mode);
// Gives the anonymous file `fd` the name `name`.
bool LinkAnonymous(int fd, const std::string& name);
// A path that reads the bytes of the open file `fd`.
std::string DescriptorPath(int fd);
// Gives the new file `fd` the mode bits of the regular file `existing`,
// and its group where that is permitted; nothing when there is none.
void TakeModeOf(int fd, const std::string& existing);
void TakeModeOfFile(const std::string& path, const std::string& existing);

// Up to `size` bytes; the count, or -1.
long long WriteSome(int fd, const char* data, size_t size);
long long WriteAt(int fd, const char* data, size_t size, unsigned long long offset);
long long ReadAt(int fd, char* data, size_t size, unsigned long long offset);
int CloseFile(int fd);
// True for errno's values of a disk or a quota that is full.
bool IsOutOfSpace(int error);

// Moves `from` over `to` in one step, replacing a file of that name:
// readers see the old file or the new one, never a part. 0 or errno's value.
int ReplaceFile(const std::string& from, const std::string& to);
#ifdef _WIN32
// Moves the file `from` to `to` unless a file of that name exists then
// (EEXIST), in one step: it never replaces one. 0 or errno's value. (On
// POSIX systems link() and unlink() do it.)
int MoveIfAbsent(const std::string& from, const std::string& to);
#endif
// Puts the folder `from` in the place of the folder `to` in one step: when
// `to` exists (a folder, not a link) the two are exchanged, and `from` then
// names the old one. Readers see the old folder or the new one, never a
// part; where the system cannot exchange folders (Windows, some file
// systems) the old one moves aside first, so that for a moment neither is
// there, and comes back should the new one fail. 0 or errno's value.
int ExchangeFolder(const std::string& from, const std::string& to);

// Opens a regular file for reading, without blocking on a FIFO or a
// device swapped in meanwhile. Null with the reason otherwise ("is a
// folder, not a file", "not a regular file", or the system's words).
std::FILE* OpenRegularFile(const std::string& path, unsigned long long* size, std::string* reason);

// What stands for a file when two paths are compared: its device and
// inode, or for a name that does not exist yet, its folder's and its name.
struct FileKey {
  unsigned long long device = 0, inode = 0;
  std::string name;  // empty for a file that exists
  bool exists = false;
  bool operator==(const FileKey&) const = default;
};
std::optional<FileKey> KeyOfFile(const std::string& path);

// The file a document written to `path` replaces: `path` itself, or where
// the symbolic links it names lead, so that the links stay. False with
// the reason when that is no regular file and no free name in an existing
// folder (kNotRegularFile, "a folder has that name"), or when a link on
// the way lies in a shared folder (sticky and writable by all) and belongs
// to neither the user nor the folder's owner: somebody else planted it.
inline constexpr const char* kNotRegularFile = "not a regular file";
bool FollowOutputPath(const std::string& path, std::string* target, std::string* reason);

// A new folder only this user may enter, with a random name that begins
// with `prefix`, in `folder`. Its path, or empty with errno's value.
std::string MakePrivateFolder(const std::string& folder, const std::string& prefix);

// ---- The process

int ProcessId();
bool StandardErrorIsTerminal();
// Standard output and error as the tools want them: a write to a reader
// that went away or past a file size limit fails instead of ending the
// process; a closed standard stream stays closed rather than taking the
// next file opened; no line end is translated.
void PrepareStandardStreams();
// Writes to standard error without allocating (memory has run out).
void WriteToStandardError(const char* text, size_t size);
// Calls `onSignal` with the signal's number on a thread of its own when an
// interrupt, a termination or a hang-up arrives (none that is ignored);
// `onSignal` ends the process. Nothing where there are no such signals.
void WatchTerminatingSignals(void (*onSignal)(int signal));
// Asks the desktop to open `path` in the program it chooses, and waits
// for the opener.
void OpenWithDesktop(const std::string& path);

// ---- Shared libraries

// False where the program is built with its modules linked in.
bool HasProgramModules();
// The folder of the running program, or empty.
std::string ExecutableFolder();
// Loads a shared library; null with the system's reason.
void* OpenLibrary(const std::string& path, std::string* reason);
void* FindInLibrary(void* library, const char* name);

}  // namespace zeltlog::os
