// File names are UTF-8 inside the program. The C library's fopen takes them
// as they are (on Windows through the UTF-8 code page that the programs
// declare in their manifest); std::filesystem on Windows wants them in wide
// characters, and these convert both ways. Elsewhere they change nothing.
#pragma once

#include <filesystem>
#include <string>

namespace zeltlog {

std::filesystem::path NativePath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

#ifdef _WIN32
// Moves `temporary` over `target` in one step, replacing a file of that
// name (MoveFileExW with MOVEFILE_REPLACE_EXISTING): readers see the old
// document or the new one, never a part. Returns 0 or an errno value.
int ReplaceWithTemporary(const std::string& temporary, const std::string& target);
#endif

}  // namespace zeltlog
