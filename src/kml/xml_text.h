// Text from a log (mark names) placed inside a KML document. The log's
// texts are 8-bit Windows-1252 characters; the documents declare UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace zeltlog::kml {

// Appends `text` as XML character data: & < > escaped, Windows-1252
// converted to UTF-8, control bytes other than TAB, LF and CR (and the five
// code points Windows-1252 leaves undefined) dropped. Plain ASCII text
// without markup characters comes out unchanged.
void AppendXmlText(std::string& out, std::string_view text);

// Appends a file name or path: kept as UTF-8 when it is valid UTF-8 (as
// file names are on most desktops), otherwise read as Windows-1252; markup
// characters escaped and control bytes dropped as above.
void AppendXmlFileName(std::string& out, std::string_view name);

}  // namespace zeltlog::kml
