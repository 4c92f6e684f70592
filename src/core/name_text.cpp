#include "core/name_text.h"

#include <cstdint>

namespace zeltlog {
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
