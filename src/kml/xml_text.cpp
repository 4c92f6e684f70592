#include "kml/xml_text.h"

#include <cstdint>

namespace zeltlog::kml {
namespace {

// Unicode code points of Windows-1252 bytes 0x80 to 0x9F; 0 where the code
// page defines no character.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// One byte of a log's text as UTF-8; `escape` makes & < > XML references.
void AppendLogByte(std::string& out, char c, bool escape) {
  const auto byte = static_cast<uint8_t>(c);
  if (byte < 0x20) {
    if (byte == '\t' || byte == '\n' || byte == '\r') out.push_back(c);
  } else if (byte < 0x7F) {
    switch (escape ? c : '\0') {
      case '&': out.append("&amp;"); break;
      case '<': out.append("&lt;"); break;
      case '>': out.append("&gt;"); break;
      default: out.push_back(c); break;
    }
  } else if (byte == 0x7F) {
    return;
  } else if (byte < 0xA0) {
    const uint16_t cp = kHighControls[byte - 0x80];
    if (cp != 0) AppendUtf8(out, cp);
  } else {
    AppendUtf8(out, byte);
  }
}

}  // namespace

void AppendXmlText(std::string& out, std::string_view text) {
  for (const char c : text) AppendLogByte(out, c, true);
}

void AppendUtf8Text(std::string& out, std::string_view text) {
  for (const char c : text) AppendLogByte(out, c, false);
}

size_t Utf8ErrorOffset(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<uint8_t>(text[i]);
    size_t extra;
    uint32_t cp;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1;
      cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
      cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
      cp = b & 0x07;
    } else {
      return i;
    }
    if (i + extra >= text.size()) return i;
    for (size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<uint8_t>(text[i + k]);
      if ((c & 0xC0) != 0x80) return i;
      cp = cp << 6 | (c & 0x3F);
    }
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) {
      return i;
    }
    i += extra + 1;
  }
  return text.size();
}

void AppendXmlFileName(std::string& out, std::string_view name) {
  if (Utf8ErrorOffset(name) != name.size()) {
    AppendXmlText(out, name);
    return;
  }
  for (const char c : name) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte < 0x20 || byte == 0x7F) continue;
    switch (c) {
      case '&': out.append("&amp;"); break;
      case '<': out.append("&lt;"); break;
      case '>': out.append("&gt;"); break;
      default: out.push_back(c); break;
    }
  }
}

}  // namespace zeltlog::kml
