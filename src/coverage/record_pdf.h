// The proof of application: a job's application record, its coverage
// figures and a map of the ground it sprayed, laid out as a PDF that the
// applicator signs and hands to the landholder. Drawn with cairo, whose
// text stays real text (searchable and copyable) in a font found through
// fontconfig (DejaVu Sans; on Windows the files that travel beside the
// program, read through FreeType) and embedded in the file.
//
// The pages: a header with farm, field, date, operator and machine; the
// map, drawn as vectors from the map page's layers with a scale bar and a
// north arrow, thinned to about a quarter of a point on the paper (half a
// metre on a field a kilometre across); the figures as the report's table
// prints them; the console's figures against the computed ones; what the
// job-info file adds; the runs; the weather with its times; the notes; the
// log's name, its SHA-256 and the program's version; and lines for the
// applicator's signature and the date. A job of up to 60 runs takes two
// pages; a longer runs table continues on further pages.
#pragma once

#include <string>
#include <vector>

#include "coverage/coverage_data.h"
#include "coverage/coverage_report.h"
#include "coverage/map_layers.h"
#include "coverage/report_lines.h"
#include "job_record/job_info.h"

namespace zeltlog {

enum class PaperSize { A4, Letter };  // 595 × 842 pt, 612 × 792 pt

struct RecordPdfInput {
  const JobRecord& record;
  const CoverageReport& report;
  const MapLayers& layers;
  const std::vector<CollectedMark>& marks;
  std::string logName;  // as the report names the log
  std::string sha256;   // of the log's bytes, in hex
  std::string version;  // of the program
  PaperSize paper = PaperSize::A4;
  ReportUnits units = ReportUnits::Metric;
};

// The document's bytes, or why cairo could not make it.
struct RecordPdf {
  std::string bytes;
  std::string error;
};

RecordPdf DrawRecordPdf(const RecordPdfInput& input);

}  // namespace zeltlog
