#include "core/same_file.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "core/output_names.h"

namespace zeltlog {
namespace {

struct FileKey {
  unsigned long long device = 0, inode = 0;
  std::string name;  // empty for a file that exists
  bool exists = false;
  bool operator==(const FileKey&) const = default;
};

std::optional<FileKey> KeyOf(const std::string& path) {
#ifdef _WIN32
  // No inode numbers here: the canonical path stands for the file.
  std::error_code ec;
  const auto canonical = std::filesystem::weakly_canonical(path, ec);
  if (ec) return std::nullopt;
  return FileKey{0, 0, canonical.string(), std::filesystem::exists(canonical, ec)};
#else
  struct stat status;
  if (stat(path.c_str(), &status) == 0) {
    return FileKey{static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino), {},
                   true};
  }
  const std::string folder = FolderOf(path);
  if (stat(folder.empty() ? "." : folder.c_str(), &status) != 0) return std::nullopt;
  const std::string name(FileNameOf(path));
  if (name.empty()) return std::nullopt;
  return FileKey{static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino), name,
                 false};
#endif
}

}  // namespace

std::optional<SameFile> FindSameFile(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
  std::vector<std::optional<FileKey>> outputKeys;
  outputKeys.reserve(outputs.size());
  for (const auto& output : outputs) outputKeys.push_back(KeyOf(output));
  for (const auto& input : inputs) {
    const auto key = KeyOf(input);
    // An input that does not exist is reported when it is read.
    if (!key || !key->exists) continue;
    for (size_t i = 0; i < outputs.size(); ++i) {
      if (outputKeys[i] == key) return SameFile{input, outputs[i], true};
    }
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    if (!outputKeys[i]) continue;
    for (size_t j = 0; j < i; ++j) {
      if (outputKeys[j] == outputKeys[i]) return SameFile{outputs[j], outputs[i], false};
    }
  }
  return std::nullopt;
}

}  // namespace zeltlog
