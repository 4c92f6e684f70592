// Fixed text with its line ends as they reach the disk (CR LF), made at
// compile time from text written with "\n". A writer that puts the text of
// each fix straight into an output file's buffer (OutputFile::Room) copies
// these pieces whole instead of having every byte looked at for line feeds.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace zeltlog {

template <size_t Capacity>
struct DiskText {
  char chars[Capacity]{};
  size_t size = 0;
  constexpr std::string_view view() const { return std::string_view(chars, size); }
};

// "a\nb" becomes "a\r\nb".
template <size_t N>
constexpr DiskText<2 * N> OnDisk(const char (&text)[N]) {
  DiskText<2 * N> out;
  for (size_t i = 0; i + 1 < N; ++i) {
    if (text[i] == '\n') out.chars[out.size++] = '\r';
    out.chars[out.size++] = text[i];
  }
  return out;
}

// Copies the text to `at` and returns the end.
template <size_t N>
char* Put(char* at, const DiskText<N>& text) {
  std::memcpy(at, text.chars, text.size);
  return at + text.size;
}

}  // namespace zeltlog
