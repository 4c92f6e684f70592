#include "core/native_path.h"

// The Windows versions are in replace_file_windows.cpp.
#ifndef _WIN32
namespace zeltlog {

std::filesystem::path NativePath(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string Utf8Path(const std::filesystem::path& path) { return path.string(); }

}  // namespace zeltlog
#endif
