// Writes the example guidance log shipped in examples/: a ground-rig
// spraying job of 5000 fixes (16 minutes and 40 seconds at 5 per second)
// with every record kind the console logs, one frame with a bad checksum and
// a few stray bytes between frames.
//
//   make_example_log examples/SPRAYJOB.LOG
#include <cstdio>

#include "log_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_example_log OUTPUT.LOG\n");
    return 2;
  }
  zeltlog::testkit::JobOptions options;
  options.fixes = 5000;
  options.markEvery = 700;
  const auto bytes = zeltlog::testkit::BuildSprayJob(options);
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
