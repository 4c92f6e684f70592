#include "cli/standard_output.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zeltlog::cli {
namespace {

// The errno value of the first failed write, 0 while all went well.
std::atomic<int> outputError{0};

void Fail(int error) {
  int expected = 0;
  outputError.compare_exchange_strong(expected, error != 0 ? error : EIO);
}

}  // namespace

void PrepareStandardStreams() {
#ifndef _WIN32
  std::signal(SIGPIPE, SIG_IGN);
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // Opened read-only: the lowest free number is `fd` itself, and a
      // write to it fails with EBADF as it would have.
      const int held = open("/dev/null", O_RDONLY);
      if (held >= 0 && held != fd) close(held);
    }
  }
#endif
}

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
