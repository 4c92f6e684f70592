// Text from a log (mark names) placed inside a KML document. The log's
// texts are 8-bit Windows-1252 characters; the documents declare UTF-8.
#pragma once

#include <cstddef>
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

// Appends a log's text as plain UTF-8, for outputs that escape by their own
// rules (JSON): Windows-1252 converted and control bytes dropped as in
// AppendXmlText, markup characters kept.
void AppendUtf8Text(std::string& out, std::string_view text);

// The offset of the first byte of `text` that does not belong to well-formed
// UTF-8 (overlong forms, surrogates and the two non-characters U+FFFE and
// U+FFFF count as ill-formed); the text's size when it is all well formed.
size_t Utf8ErrorOffset(std::string_view text);

}  // namespace zeltlog::kml
