// Names as the programs show them in UTF-8 text (JSON): a file name or a
// log's text is kept when it is valid UTF-8, as file names are on most
// desktops, and otherwise read as Windows-1252, the logs' own code page and
// the way the documents read such names.
#pragma once

#include <string>
#include <string_view>

namespace zeltlog {

bool IsUtf8(std::string_view text);
// The five bytes Windows-1252 leaves undefined become U+FFFD.
std::string Utf8OfName(std::string_view text);

}  // namespace zeltlog
