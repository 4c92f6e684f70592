// The season map: one HTML page of the archive's selected jobs, built as
// the report's map page is (Leaflet and the data inline, no network): each
// job's sprayed ground in a colour of its own on one map, and a table of
// the jobs beside it; a click on a row or on the ground zooms to that job
// and shows its figures. The page opened with "#job=ID" starts on job ID.
#pragma once

#include <string>

#include "gis/archive.h"

namespace zeltlog::cli {

// `text(value, column)` gives each value as the archive's table shows it.
std::string FormatSeasonMapPage(const ArchiveMapJobs& jobs,
                                std::string (*text)(const ArchiveValue& value, const std::string& column));

}  // namespace zeltlog::cli
