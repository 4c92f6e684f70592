// Field boundaries that the line reader of the "KML to JOB" command does
// not find: KML as GIS programs write it (the polygon on one line, or
// indented with spaces), KMZ, GeoJSON, Shapefile, GeoPackage and any other
// vector file GDAL reads.
#pragma once

#include <string>

#include "core/output_file.h"
#include "core/session.h"

namespace zeltlog {

enum class GisPolygonOutcome {
  Vertices,  // vertex lines written
  Lines,     // no polygon, but a line
  Points,    // no polygon or line, but points
  Nothing,   // not a file GDAL reads, or nothing in it
  Refused,   // polygons that are no field on the globe, or a file that unpacks to too much
};

// Writes a vertex line for each vertex of the file's polygons (every ring
// in file order, its closing vertex kept, as the line reader takes every
// coordinate block) to `job` and the event list.
// `refusal` says why the file was refused.
GisPolygonOutcome WriteJobVerticesFromGisFile(ConversionSession& s, OutputFile& job, const std::string& path,
                                              std::string& refusal);

}  // namespace zeltlog
