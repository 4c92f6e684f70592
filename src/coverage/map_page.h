// The map report page: one HTML file that shows a log's coverage on a map
// and its figures beside it, with the map library and the data inline, so
// that it opens from disk with no network. Layers: the field, the sprayed
// ground coloured by bin of applied rate (with a legend), the ground
// sprayed more than once, the skipped ground, the path and the marks; an
// online base map can be switched on.
#pragma once

#include <string>
#include <vector>

#include "coverage/coverage_data.h"
#include "coverage/coverage_report.h"
#include "coverage/map_layers.h"
#include "coverage/report_format.h"

namespace zeltlog {

// With a record, the page shows it in a panel below the figures; the
// figures are shown in `units`.
std::string FormatMapPage(const CoverageReport& report, const MapLayers& layers,
                          const std::vector<CollectedMark>& marks, const LogRecord* record = nullptr,
                          ReportUnits units = ReportUnits::Metric);

// `text` (UTF-8) as a JSON string that can stand inside a page's script:
// quotes, backslashes and control characters escaped, and so are < > & and
// the two line separators JavaScript once did not allow in strings.
void AppendScriptString(std::string& out, std::string_view text);

}  // namespace zeltlog
