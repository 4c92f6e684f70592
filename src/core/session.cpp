#include "core/session.h"

#include "core/output_names.h"

namespace zeltlog {

std::optional<std::string> ChooseFileAndRememberFolder(ConversionSession& s, std::string_view filter,
                                                       std::string_view defaultExtension) {
  auto chosen = s.desktop.ChooseFile(filter, defaultExtension);
  if (chosen) s.lastChosenFolder = FolderOf(*chosen);
  return chosen;
}

}  // namespace zeltlog
