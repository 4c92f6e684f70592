// The file a document is written into before it takes its target's place,
// and scratch files that a run reads back itself.
//
// Where the file system allows it the temporary has no name at all
// (O_TMPFILE): it is linked into the folder only when complete and renamed
// over the target at once, so nothing is left behind whatever ends the run,
// a kill or a power cut included. Elsewhere it is created exclusively under
// a short random name that nobody can have planted a link under, and it is
// removed when the document is dropped or the run is interrupted.
#pragma once

#include <cstddef>
#include <string>

namespace zeltlog {

class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() { Discard(); }

  // Opens a new, empty temporary in the folder of `target`. When the target
  // exists, the temporary takes its mode bits, and its group where that is
  // permitted. `allowAnonymous` false always takes a named temporary (the
  // way of file systems without O_TMPFILE). False with errno's value in
  // `errorNumber` when no temporary can be made there.
  bool Open(const std::string& target, int* errorNumber, bool allowAnonymous = true);
  bool IsOpen() const { return fd_ >= 0; }
  // True when the temporary has a name in the folder while it is written.
  bool IsNamed() const { return !name_.empty(); }

  // Writes all of the bytes; false with errno's value otherwise.
  bool Write(const char* data, size_t size, int* errorNumber);
  // Closes the file and puts it in place of the target. On failure nothing
  // of it remains and the target stays as it was.
  bool Commit(int* errorNumber);
  // Drops the file; the target stays as it was.
  void Discard();
  // A path the bytes written so far can be read from while the file is
  // open: its name, or its descriptor's entry in /proc for an anonymous one.
  std::string ReadablePath() const;

 private:
  int fd_ = -1;
  std::string target_;
  std::string name_;  // the named temporary's path, empty when anonymous
};

// Opens an anonymous file for reading and writing in `folder` (the working
// directory when empty) whose bytes vanish with the process: O_TMPFILE, or
// a named file that is unlinked at once. -1 with errno's value otherwise.
int OpenScratchFile(const std::string& folder, int* errorNumber);

// Makes a private folder (only this user may enter it) with a random name
// that begins with `prefix` inside `folder`, for a writer that makes files
// of its own names there; it is removed whole, with what it holds, when
// the run is interrupted. Its path, or empty with errno's value.
std::string MakeTemporaryFolder(const std::string& folder, const std::string& prefix);
// Removes such a folder with what is left in it.
void RemoveTemporaryFolder(const std::string& path);

// Removes every named temporary and temporary folder the process still holds. For the thread
// that handles a terminating signal: it waits for a temporary being
// created or put in place, so none slips through, and with `keepLocked`
// no new one can be made until the process has ended.
void RemoveTemporaries(bool keepLocked = false);

}  // namespace zeltlog
