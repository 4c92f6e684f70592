// Small text and byte helpers shared by the tests.
#pragma once

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "log_builder.h"

namespace zeltlog::testkit {

inline std::string Str(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The text as it lies on disk in text mode: every LF written as CR LF.
inline std::string CrLf(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

// The lines of `text` without their ends; a last line without an end counts.
inline std::vector<std::string> SplitLines(const std::string& text, const std::string& end = "\n") {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t stop = text.find(end, start);
    if (stop == std::string::npos) stop = text.size();
    lines.push_back(text.substr(start, stop - start));
    start = stop + end.size();
  }
  return lines;
}

// What the C library's printf writes.
template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char text[4096];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

// How many entries a folder holds.
inline size_t EntriesIn(const std::string& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

// Pseudo-random bytes; with `noNul` a NUL byte becomes 1.
inline std::string Noise(size_t size, uint32_t seed, bool noNul = false) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(noNul && seed >> 24 == 0 ? 1 : seed >> 24);
  }
  return bytes;
}

// A spraying job of `fixes` fixes, with its defects (a bad checksum, stray
// bytes, a gap in time).
inline std::string JobLog(size_t fixes) { return Str(BuildSprayJob({fixes, 200, true, 3})); }

// Every entry of a folder with its bytes ("<other>" for anything but a file).
std::string ReadFile(const std::string& path);
inline std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files[entry.path().filename().string()] = entry.is_regular_file() ? ReadFile(entry.path().string()) : "<other>";
  }
  return files;
}

}  // namespace zeltlog::testkit
