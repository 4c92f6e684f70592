#include "core/output_names.h"

namespace zeltlog {

std::string_view FileNameOf(std::string_view path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string OutputBase(std::string_view path) {
  const std::string_view name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::string(path);
  return std::string(path.substr(0, path.size() - (name.size() - dot)));
}

std::string FolderOf(std::string_view path) {
  const size_t separator = path.find_last_of("/\\");
  if (separator == std::string_view::npos) return {};
  if (separator == 0) return std::string(path.substr(0, 1));
  return std::string(path.substr(0, separator));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string joined(folder);
  if (joined.back() != '/' && joined.back() != '\\') joined.push_back('/');
  joined.append(name);
  return joined;
}

}  // namespace zeltlog
