#include "ui/file_pick.h"

#include <optional>

#include "core/output_names.h"

namespace zeltlog::ui {
namespace {

std::optional<std::string> Pick(ConversionSession& s, const char* filter, const char* extension) {
  auto chosen = ChooseFileAndRememberFolder(s, filter, extension);
  if (chosen) s.chosenLogPath = *chosen;
  return chosen;
}

void PickAndOpen(ConversionSession& s, const char* filter, const char* extension) {
  if (auto chosen = Pick(s, filter, extension)) s.desktop.OpenInViewer(*chosen);
}

}  // namespace

void PickDisplayFile(ConversionSession& s) {
  Pick(s, kDisplayFileFilter, "T*");
  s.desktop.RefreshFields(s);
}

void OpenKmlInViewer(ConversionSession& s) { PickAndOpen(s, kKmlFileFilter, "KML"); }
void OpenShapeInViewer(ConversionSession& s) { PickAndOpen(s, kShapeFileFilter, "SHP"); }
void OpenMapPageInViewer(ConversionSession& s) { PickAndOpen(s, kMapPageFilter, "HTML"); }
void PickShapeWithTable(ConversionSession& s) { Pick(s, kShapeWithTableFilter, "SHP"); }

std::string WildcardFromFilter(std::string_view filter) {
  while (!filter.empty() && filter.back() == '|') filter.remove_suffix(1);
  return std::string(filter);
}

}  // namespace zeltlog::ui
