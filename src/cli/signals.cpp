#include "cli/signals.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>

#include "core/temporary_file.h"

#ifndef _WIN32
#include <pthread.h>
#include <unistd.h>
#endif

namespace zeltlog::cli {
namespace {

// Allocates nothing: memory has run out.
void OutOfMemory() {
  static constexpr char kMessage[] = "zeltlog-cli: out of memory\n";
#ifdef _WIN32
  std::fputs(kMessage, stderr);
#else
  if (write(2, kMessage, sizeof kMessage - 1) < 0) {
    // Nothing more can be said.
  }
#endif
  RemoveTemporaries(true);
  std::_Exit(1);
}

}  // namespace

void EndRunWhenMemoryRunsOut() { std::set_new_handler(OutOfMemory); }

#ifdef _WIN32

void WatchInterruptingSignals() {}

#else

void WatchInterruptingSignals() {
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
    std::thread([watched] {
      int signal = 0;
      while (sigwait(&watched, &signal) != 0) {
      }
      RemoveTemporaries(true);
      std::_Exit(128 + signal);
    }).detach();
  } catch (const std::exception&) {
    // No thread to spare: the signals keep their default action.
    pthread_sigmask(SIG_UNBLOCK, &watched, nullptr);
  }
}

#endif

}  // namespace zeltlog::cli
