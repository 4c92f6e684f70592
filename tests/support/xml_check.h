// Well-formedness check of a KML document with a real XML parser (expat).
#pragma once

#include <string>

namespace zeltlog::testkit {

// True when `document` is well-formed XML; otherwise false with the
// parser's message and line in `error`.
bool IsWellFormedXml(const std::string& document, std::string* error = nullptr);

// Reads a whole file as bytes ("" when it cannot be read).
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace zeltlog::testkit
