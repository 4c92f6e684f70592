// Names of the outputs written beside an input: the base is the input's
// path less its extension (from the last dot of the file name), and each
// output appends its own suffix.
#pragma once

#include <string>
#include <string_view>

namespace zeltlog {

// The path less the extension of its file name: from the last dot of the
// file name to its end. A file name without a dot, or whose only dot is
// its first character (a hidden file's name), is kept whole, and the cut
// never reaches into the folder part.
std::string OutputBase(std::string_view path);
// The file name: the characters after the last '/' or '\'.
std::string_view FileNameOf(std::string_view path);
// The folder part (without the trailing separator), empty when none.
std::string FolderOf(std::string_view path);
// `name` inside `folder` (the working directory when the folder is empty).
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace zeltlog
