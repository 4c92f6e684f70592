// Converts a log the way the window does, keeping every event line in the
// event store, and prints how much memory the store took against the bytes
// of its text.
//
//   measure_event_store LOG
#include <cstdio>
#include <fstream>
#include <string>

#include "core/event_store.h"
#include "pipeline/log_conversion.h"

namespace {

class StoringEventLog : public zeltlog::EventLog {
 public:
  void AddEvent(zeltlog::EventKind kind, std::string_view line) override { events.Add(kind, line); }
  void ClearEvents() override { events.Clear(); }
  zeltlog::EventStore events;
};

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: measure_event_store LOG\n");
    return 2;
  }
  StoringEventLog platform;
  zeltlog::Progress progress;
  zeltlog::Desktop desktop;
  zeltlog::ConversionSession session(platform, progress, desktop);
  const long before = ResidentKilobytes();
  const auto outcome = zeltlog::RunLogConversionOn(session, argv[1]);
  const long after = ResidentKilobytes();
  const double text = static_cast<double>(platform.events.TextBytes());
  std::printf("event store: %zu lines, %.1f MB of text, store %.1f MB (%.2f x), resident growth %.1f MB (%.2f x)\n",
              platform.events.size(), text / 1e6, static_cast<double>(platform.events.CapacityBytes()) / 1e6,
              static_cast<double>(platform.events.CapacityBytes()) / text, static_cast<double>(after - before) / 1e3,
              static_cast<double>(after - before) * 1024.0 / text);
  return outcome.inputRead ? 0 : 1;
}
