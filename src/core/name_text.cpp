#include "core/name_text.h"

#include <cstdint>

namespace zeltlog {
namespace {

// Windows-1252 code points of the bytes 0x80 to 0x9F; 0 where the code page
// leaves a byte undefined.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t length = 1;
    uint32_t low = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, low = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, low = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, low = 0x10000;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    uint32_t code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

namespace {

void AppendCodePoint(std::string& out, uint32_t code) {
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

}  // namespace

std::string Utf8OfName(std::string_view text) {
  if (IsUtf8(text)) return std::string(text);
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    uint32_t code = byte;
    if (byte >= 0x80 && byte < 0xA0) code = kWindows1252High[byte - 0x80] ? kWindows1252High[byte - 0x80] : 0xFFFD;
    AppendCodePoint(out, code);
  }
  return out;
}

}  // namespace zeltlog
