#include "core/same_file.h"

#include "core/os.h"

namespace zeltlog {

std::optional<SameFile> FindSameFile(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
  std::vector<std::optional<os::FileKey>> outputKeys;
  outputKeys.reserve(outputs.size());
  for (const auto& output : outputs) outputKeys.push_back(os::KeyOfFile(output));
  for (const auto& input : inputs) {
    const auto key = os::KeyOfFile(input);
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
