// Shared helpers of the fuzz targets: a scratch folder of the process, the
// input written to a file in it, and a way to report a broken property so
// that libFuzzer keeps the input that broke it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeltlog::fuzz {

// A folder of this process, created on first use and removed at exit. On
// Linux it lies in /dev/shm when that exists, so the many small files the
// targets write never reach a disk.
const std::string& ScratchFolder();
std::string ScratchPath(std::string_view name);

// Removes every file in the scratch folder, so that one input's outputs
// are never taken for the next one's, then writes the fuzzer's bytes to
// `name` in it; returns that file's path.
std::string FreshInput(std::string_view name, const uint8_t* data, size_t size);

// Prints the broken property and aborts: libFuzzer saves the input.
[[noreturn]] void Fail(const std::string& what);
inline void Check(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

// Lines of a text output written with CR LF ends. False (and `lines`
// partly filled) when a LF stands without its CR or the text does not end
// with a line end.
bool SplitCrLfLines(const std::string& text, std::vector<std::string>& lines);

}  // namespace zeltlog::fuzz
