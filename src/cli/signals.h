// Interrupting signals: SIGINT, SIGTERM and SIGHUP end the tool at once
// with exit status 128 + the signal's number, after removing every named
// temporary it holds (anonymous ones vanish with the process anyway). A
// signal the tool was started with ignored (nohup) stays ignored.
#pragma once

namespace zeltlog::cli {

// Call before any other thread starts: the signals are taken by a thread
// of their own, so that no other thread is ever interrupted.
void WatchInterruptingSignals();

}  // namespace zeltlog::cli
