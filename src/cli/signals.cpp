#include "cli/signals.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "core/os.h"
#include "core/temporary_file.h"

namespace zeltlog::cli {
namespace {

// Allocates nothing: memory has run out.
void OutOfMemory() {
  static constexpr char kMessage[] = "zeltlog-cli: out of memory\n";
  os::WriteToStandardError(kMessage, sizeof kMessage - 1);
  RemoveTemporaries(true);
  std::_Exit(1);
}

}  // namespace

void EndRunWhenMemoryRunsOut() { std::set_new_handler(OutOfMemory); }

void WatchInterruptingSignals() {
  os::WatchTerminatingSignals([](int signal) {
    RemoveTemporaries(true);
    std::_Exit(128 + signal);
  });
}

}  // namespace zeltlog::cli
