// Names of the outputs written beside an input: the base is the input's
// path less its extension (its last four characters, a dot and three
// letters), and each output appends its own suffix.
#pragma once

#include <string>
#include <string_view>

namespace zeltlog {

// The path less its last four characters. The cut never reaches into the
// folder part: a file name of four characters or fewer is kept whole.
std::string OutputBase(std::string_view path);
// The file name: the characters after the last '/' or '\'.
std::string_view FileNameOf(std::string_view path);
// The folder part (without the trailing separator), empty when none.
std::string FolderOf(std::string_view path);
// `name` inside `folder` (the working directory when the folder is empty).
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace zeltlog
