// Inputs and checks shared by the robustness tests: large side-converter
// inputs whose outputs cannot fit a small file system or a file size limit,
// and a look for temporary files left behind.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "log_builder.h"
#include "xml_check.h"

namespace zeltlog::testkit {

// A controller log whose type-1 blocks add up to about 180 KB.
inline std::string BigControllerLog() {
  Bytes block(60000);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 31 + 7);
  std::string log;
  for (int i = 0; i < 3; ++i) {
    const Bytes bytes = ControllerBlock(1, 2, 1, i, block, block.size());
    log.append(bytes.begin(), bytes.end());
  }
  return log;
}

// A GPS message log of 4000 fixes: a CSV of about 500 KB.
inline std::string BigGpsLog() {
  std::string log;
  for (int i = 0; i < 4000; ++i) {
    const Bytes bytes = Bin1Frame({.time = 100.5 + i * 0.2, .latitude = -33.5 + i * 0.00001, .longitude = 151.2 + i * 0.00001});
    log.append(bytes.begin(), bytes.end());
  }
  return log;
}

// A polygon of 3000 vertices: a job file of about 110 KB.
inline std::string BigPolygonKml() {
  std::string kml = "<Placemark>\n<Polygon>\n<coordinates>\n";
  for (int i = 0; i < 3000; ++i) {
    kml += std::to_string(142.0 + i * 0.0001) + "," + std::to_string(-34.0 - i * 0.0001) + ",0 ";
  }
  kml += "\n</coordinates>\n</Polygon>\n</Placemark>\n";
  return kml;
}

// Named temporaries a safe output may leave while it is written (".~XXXXXXXX.tmp").
inline size_t TemporaryFilesIn(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    count += name.find(".~") != std::string::npos || entry.path().extension() == ".tmp" ? 1 : 0;
  }
  return count;
}

// The CLI started with its standard output on a pipe that the test reads
// only as far as it wants to.
class PipedRun {
 public:
  explicit PipedRun(const std::vector<std::string>& arguments) {
    int ends[2];
    if (pipe(ends) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(ends[1], 1);
      close(ends[0]), close(ends[1]);
      dup2(open("/dev/null", O_WRONLY), 2);
      std::vector<char*> argv{const_cast<char*>(ZELTLOG_CLI_PATH)};
      for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(ZELTLOG_CLI_PATH, argv.data());
      _exit(127);
    }
    close(ends[1]);
    out_ = ends[0];
  }
  ~PipedRun() {
    if (out_ >= 0) close(out_);
    if (pid_ > 0) Wait();
  }
  // Reads `bytes` of standard output (less at its end).
  void Read(size_t bytes) {
    char buffer[4096];
    while (bytes > 0) {
      const ssize_t got = read(out_, buffer, std::min(bytes, sizeof buffer));
      if (got <= 0) return;
      bytes -= static_cast<size_t>(got);
    }
  }
  void CloseOutput() { close(out_), out_ = -1; }
  void Signal(int signal) { kill(pid_, signal); }
  pid_t pid() const { return pid_; }
  // The raw wait status.
  int Wait() {
    int status = 0;
    if (pid_ > 0) waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

}  // namespace zeltlog::testkit
