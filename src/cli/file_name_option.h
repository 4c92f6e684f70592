// Options that name a file refuse an empty value: a usage error (exit 2),
// not an option left unset.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace zeltlog::cli {

inline CLI::Option* NamesAFile(CLI::Option* option) {
  return option->check(CLI::Validator(
      [](std::string& name) { return name.empty() ? std::string("the file name is empty") : std::string(); }, "",
      "FileName"));
}

}  // namespace zeltlog::cli
