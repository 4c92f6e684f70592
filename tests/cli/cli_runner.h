// Runs zeltlog-cli as a user would and captures what it prints.
#pragma once

#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "temp_dir.h"
#include "xml_check.h"

namespace zeltlog::testkit {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted.push_back(c);
  }
  return quoted + "'";
}

// Runs `sh -c command` with standard error captured, and standard output
// too unless `captureOut` is false (the command then says where it goes).
inline CliResult RunShell(const std::string& command, bool captureOut = true) {
  TempDir capture;
  const std::string line = command + (captureOut ? " >" + ShellQuote(capture.File("out")) : std::string()) + " 2>" +
                           ShellQuote(capture.File("err"));
  const int raw = std::system(("sh -c " + ShellQuote(line)).c_str());
  CliResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFile(capture.File("out"));
  result.err = ReadFile(capture.File("err"));
  return result;
}

// `arguments` go to the shell as they are; `prefix` runs before (ulimit).
inline CliResult RunCli(const std::string& arguments, const std::string& prefix = "") {
  return RunShell(prefix + ShellQuote(ZELTLOG_CLI_PATH) + " " + arguments);
}

}  // namespace zeltlog::testkit
