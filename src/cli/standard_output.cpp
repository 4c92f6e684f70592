#include "cli/standard_output.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/os.h"

namespace zeltlog::cli {
namespace {

// The errno value of the first failed write, 0 while all went well.
std::atomic<int> outputError{0};

void Fail(int error) {
  int expected = 0;
  outputError.compare_exchange_strong(expected, error != 0 ? error : EIO);
}

}  // namespace

void PrepareStandardStreams() { os::PrepareStandardStreams(); }

void WriteStandardOutput(std::string_view bytes) {
  if (bytes.empty() || outputError.load() != 0) return;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) Fail(errno);
}

void FlushStandardOutput() {
  if (outputError.load() != 0) return;
  errno = 0;
  if (std::fflush(stdout) != 0) Fail(errno);
}

bool FinishStandardOutput() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) Fail(errno);
  const int error = outputError.load();
  if (error == 0) return true;
  std::fprintf(stderr, "zeltlog-cli: standard output: cannot be written: %s\n", std::strerror(error));
  return false;
}

}  // namespace zeltlog::cli
