// Whether two paths name the same file, so that no run writes over its own
// input or writes two outputs into one file. Files that exist are compared
// by device and inode (links and other spellings of a path included); a
// path that names no file yet is compared by its folder's device and inode
// and its file name.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zeltlog {

struct SameFile {
  std::string existing;  // the input, or the output named first
  std::string output;    // the output that would overwrite it
  bool existingIsInput = false;
};

// Compares every input with every output and the outputs with each other;
// the first pair that names one file, or nothing.
std::optional<SameFile> FindSameFile(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);

}  // namespace zeltlog
