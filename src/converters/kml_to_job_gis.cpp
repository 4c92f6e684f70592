#include "converters/kml_to_job_gis.h"

#include "core/text_format.h"
#include "gis/gis_module.h"

namespace zeltlog {
namespace {

void WriteRing(ConversionSession& s, OutputFile& job, const LonLatRing& ring) {
  std::string line;
  for (const LonLat& vertex : ring) {
    line.clear();
    AppendFormat(line, "\t%3.14lf %3.14lf\n", {vertex.latitude, vertex.longitude});
    job.Write(line);
    s.AddEvent(EventKind::Summary, line);
  }
}

}  // namespace

GisPolygonOutcome WriteJobVerticesFromGisFile(ConversionSession& s, OutputFile& job, const std::string& path,
                                              std::string& refusal) {
  PolygonFile file;
  if (!ReadPolygonFileWithModule(path, file).empty()) return GisPolygonOutcome::Nothing;
  if (!file.refusal.empty()) {
    refusal = file.refusal;
    return GisPolygonOutcome::Refused;
  }
  bool any = false;
  for (const LonLatPolygon& polygon : file.polygons) {
    any = any || !polygon.outer.empty();
    WriteRing(s, job, polygon.outer);
    for (const LonLatRing& hole : polygon.holes) WriteRing(s, job, hole);
  }
  if (any) return GisPolygonOutcome::Vertices;
  if (file.lines > 0) return GisPolygonOutcome::Lines;
  if (file.points > 0) return GisPolygonOutcome::Points;
  return GisPolygonOutcome::Nothing;
}

}  // namespace zeltlog
