#include "cli/signals.h"

#include <csignal>
#include <thread>

#include "core/temporary_file.h"

#ifndef _WIN32
#include <pthread.h>
#include <unistd.h>
#endif

namespace zeltlog::cli {

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
  std::thread([watched] {
    int signal = 0;
    while (sigwait(&watched, &signal) != 0) {
    }
    RemoveTemporaries(true);
    _exit(128 + signal);
  }).detach();
}

#endif

}  // namespace zeltlog::cli
