#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace zeltlog::fuzz {
namespace {

std::string MakeScratchFolder() {
  std::error_code ec;
  std::filesystem::path root = "/dev/shm";
  if (!std::filesystem::is_directory(root, ec)) root = std::filesystem::temp_directory_path();
  std::string pattern = (root / "zeltlog-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("zeltlog fuzz: cannot make a scratch folder");
    std::abort();
  }
  return pattern;
}

void RemoveScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(ScratchFolder(), ec);
}

}  // namespace

const std::string& ScratchFolder() {
  static const std::string folder = MakeScratchFolder();
  static const bool registered = std::atexit(RemoveScratchFolder) == 0;
  (void)registered;
  return folder;
}

std::string ScratchPath(std::string_view name) { return ScratchFolder() + "/" + std::string(name); }

std::string FreshInput(std::string_view name, const uint8_t* data, size_t size) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder(), ec)) {
    std::filesystem::remove_all(entry.path(), ec);
  }
  const std::string path = ScratchPath(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) Fail("cannot write the input file " + path);
  if (size > 0 && std::fwrite(data, 1, size, file) != size) Fail("cannot write the input file " + path);
  std::fclose(file);
  return path;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** property broken: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

bool SplitCrLfLines(const std::string& text, std::vector<std::string>& lines) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string::npos) return false;
    if (lf == start || text[lf - 1] != '\r') return false;
    lines.push_back(text.substr(start, lf - 1 - start));
    start = lf + 1;
  }
  return true;
}

}  // namespace zeltlog::fuzz
