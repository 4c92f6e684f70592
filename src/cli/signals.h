// How the tool ends when it cannot go on: SIGINT, SIGTERM and SIGHUP end
// it at once with exit status 128 + the signal's number, and an allocation
// that fails in any thread with a message and exit status 1, after removing
// every named temporary it holds (anonymous ones vanish with the process
// anyway). A signal the tool was started with ignored (nohup) stays
// ignored.
#pragma once

namespace zeltlog::cli {

// Call before any other thread starts: the signals are taken by a thread
// of their own, so that no other thread is ever interrupted.
void WatchInterruptingSignals();

// Makes a failed allocation end the run as described above, instead of an
// exception that no thread expects.
void EndRunWhenMemoryRunsOut();

}  // namespace zeltlog::cli
