// Texts between the library (8-bit strings) and the window toolkit.
#pragma once

#include <string>
#include <string_view>

#include "ui/wx_headers.h"

namespace zeltlog::ui {

// Event-list text: 8-bit characters read as Windows-1252, as the consoles
// write them. Every byte shows as some character.
wxString FromWindows1252(std::string_view text);
// Paths, names and messages: UTF-8 where they are valid UTF-8 (the file
// names of this desktop), otherwise Windows-1252.
wxString FromLibraryText(std::string_view text);
// A path or name typed or chosen in the window, as the library takes it.
std::string ToLibraryText(const wxString& text);

}  // namespace zeltlog::ui
