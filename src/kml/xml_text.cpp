#include "kml/xml_text.h"

#include <cstdint>

#include "core/name_text.h"

namespace zeltlog::kml {
namespace {

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
    const uint16_t cp = kWindows1252High[byte - 0x80];
    if (cp != 0) AppendCodePoint(out, cp);
  } else {
    AppendCodePoint(out, byte);
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
