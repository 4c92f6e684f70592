// Writes a large realistic guidance log for the benchmark: the example
// job's mix scaled up (fixes at 5 per second, the sprayer on about 70 % of
// the time, rate and flow-status records every second, a mark every
// thousand fixes, both position formats).
//
//   make_bench_log FIXES OUTPUT.LOG
#include <cstdio>
#include <cstdlib>

#include "log_builder.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_bench_log FIXES OUTPUT.LOG\n");
    return 2;
  }
  zeltlog::testkit::JobOptions options;
  options.fixes = std::strtoull(argv[1], nullptr, 10);
  options.markEvery = 1000;
  options.sprayedShareOfRun = 0.75;
  const auto bytes = zeltlog::testkit::BuildSprayJob(options);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
