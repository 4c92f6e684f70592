// Writes a large realistic guidance log for the benchmark: the example
// job's mix scaled up (fixes at 5 per second, the sprayer on about 70 % of
// the time, rate and flow-status records every second, a mark every
// thousand fixes, both position formats).
//
//   make_bench_log FIXES OUTPUT.LOG [SEED]
//
// A log of another seed is another job on a field of its own: seed N's
// field lies in row (N - 1) / 32 and column (N - 1) % 32 of a grid of
// fields 800 m apart (the archive's benchmark adds a season of them).
#include <cstdio>
#include <cstdlib>

#include "log_builder.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: make_bench_log FIXES OUTPUT.LOG [SEED]\n");
    return 2;
  }
  zeltlog::testkit::JobOptions options;
  options.fixes = std::strtoull(argv[1], nullptr, 10);
  options.markEvery = 1000;
  options.sprayedShareOfRun = 0.75;
  if (argc == 4) {
    options.seed = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    const uint32_t place = options.seed > 0 ? options.seed - 1 : 0;
    options.eastM = 800.0 * (place % 32);
    options.northM = 800.0 * (place / 32);
  }
  const auto bytes = zeltlog::testkit::BuildSprayJob(options);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
