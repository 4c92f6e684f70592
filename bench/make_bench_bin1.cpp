// Writes a GPS binary message log of N BIN1 fixes for the benchmark.
//
//   make_bench_bin1 MESSAGES OUTPUT.BIN
#include <cstdio>
#include <cstdlib>

#include "log_builder.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_bench_bin1 MESSAGES OUTPUT.BIN\n");
    return 2;
  }
  const unsigned long long count = std::strtoull(argv[1], nullptr, 10);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out) {
    std::perror(argv[2]);
    return 1;
  }
  zeltlog::testkit::Bin1Fix fix;
  for (unsigned long long i = 0; i < count; ++i) {
    fix.time = 3600.0 + static_cast<double>(i) * 0.2;
    fix.latitude = -34.25 + static_cast<double>(i % 20000) * 1e-6;
    fix.longitude = 142.1 + static_cast<double>(i / 20000) * 2e-4;
    fix.satellites = 7 + static_cast<unsigned>(i % 5);
    fix.age = static_cast<unsigned>(i % 9);
    fix.mode = 2 + static_cast<unsigned>(i % 2);
    const auto frame = zeltlog::testkit::Bin1Frame(fix);
    std::fwrite(frame.data(), 1, frame.size(), out);
  }
  if (std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
