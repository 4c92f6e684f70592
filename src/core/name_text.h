// Names as the programs show them in UTF-8 text (JSON): a file name or a
// log's text is kept when it is valid UTF-8, as file names are on most
// desktops, and otherwise read as Windows-1252, the logs' own code page and
// the way the documents read such names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zeltlog {

// Windows-1252 code points of the bytes 0x80 to 0x9F; 0 where the code page
// leaves a byte undefined. The other bytes are their own code points.
inline constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// A code point below U+10000 as UTF-8.
inline void AppendCodePoint(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool IsUtf8(std::string_view text);
// The five bytes Windows-1252 leaves undefined become U+FFFD.
std::string Utf8OfName(std::string_view text);

}  // namespace zeltlog
