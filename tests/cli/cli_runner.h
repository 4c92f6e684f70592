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

// `arguments` go to the shell as they are; `prefix` runs before (ulimit).
inline CliResult RunCli(const std::string& arguments, const std::string& prefix = "") {
  TempDir capture;
  const std::string command = prefix + ShellQuote(ZELTLOG_CLI_PATH) + " " + arguments + " >" +
                              ShellQuote(capture.File("out")) + " 2>" + ShellQuote(capture.File("err"));
  const int raw = std::system(("sh -c " + ShellQuote(command)).c_str());
  CliResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFile(capture.File("out"));
  result.err = ReadFile(capture.File("err"));
  return result;
}

}  // namespace zeltlog::testkit
