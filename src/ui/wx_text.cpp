#include "ui/wx_text.h"

namespace zeltlog::ui {

wxString FromWindows1252(std::string_view text) {
  if (text.empty()) return {};
  static const wxCSConv windows1252(wxFONTENCODING_CP1252);
  wxString converted(text.data(), windows1252, text.size());
  if (!converted.empty()) return converted;
  // The five byte values that the code page leaves undefined make the whole
  // conversion fail; they stand for themselves, as the desktop of the
  // consoles shows them, and every other byte is converted alone.
  wxString result;
  result.reserve(text.size());
  for (char c : text) {
    wxString one(&c, windows1252, 1);
    result += one.empty() ? wxString(static_cast<wchar_t>(static_cast<unsigned char>(c))) : one;
  }
  return result;
}

wxString FromLibraryText(std::string_view text) {
  if (text.empty()) return {};
  wxString converted = wxString::FromUTF8(text.data(), text.size());
  if (!converted.empty()) return converted;
  return FromWindows1252(text);
}

std::string ToLibraryText(const wxString& text) { return text.utf8_string(); }

}  // namespace zeltlog::ui
