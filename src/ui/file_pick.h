// The file-pick commands of the main window: each asks for an existing
// file, keeps its path in the chosen-path field and its folder as the
// folder of the file last chosen, and three of them ask the desktop to open
// the file in its viewer. They convert nothing.
#pragma once

#include <string>
#include <string_view>

#include "core/session.h"

namespace zeltlog::ui {

inline constexpr const char* kDisplayFileFilter = "ZELT DISP FORMAT .T*|*.T*|All Files - All Types|*.*;*||";
inline constexpr const char* kKmlFileFilter = "Google Earth KML FORMAT .KML|*.KML|All Files - All Types|*.*;*||";
inline constexpr const char* kShapeFileFilter = "ZELT ESRI SHAPE FORMAT .SHP|*.SHP|All Files - All Types|*.*;*||";
inline constexpr const char* kMapPageFilter = "ZELT HTML display format .HTML|*.HTML|All Files - All Types|*.*;*||";
inline constexpr const char* kShapeWithTableFilter =
    "ZELT ESRI SHAPE + DBF FORMAT .SHP|*.SHP|All Files - All Types|*.*;*||";

// "ZELT DISP": keeps the path and shows it at once, chosen or not.
void PickDisplayFile(ConversionSession& session);
// "GOOGLE EARTH": any KML, opened in the viewer. The field shows the new
// path only at the next refresh.
void OpenKmlInViewer(ConversionSession& session);
// "QGIS": a shape file, opened in the viewer.
void OpenShapeInViewer(ConversionSession& session);
// "GOOGLE MAPS": a map page, opened in the viewer.
void OpenMapPageInViewer(ConversionSession& session);
// "Generate KML, PMH/PMD from SHAPE": keeps the path only.
void PickShapeWithTable(ConversionSession& session);

// A chooser filter ("label|pattern|...|label|pattern||") as a toolkit's
// wildcard string: the same pairs without the closing bars.
std::string WildcardFromFilter(std::string_view filter);

}  // namespace zeltlog::ui
