#include "converters/job_to_kml.h"

#include "core/byte_reader.h"
#include "core/output_names.h"

namespace zeltlog {

SideResult OpenJobFile(ConversionSession& s) {
  const auto chosen = s.platform.ChooseFile(kJobToKmlFilter, "KML");
  if (!chosen) return {};
  s.lastChosenFolder = FolderOf(*chosen);
  return OpenJobFileOn(s, *chosen);
}

SideResult OpenJobFileOn(ConversionSession& s, const std::string& path) {
  SideResult result;
  result.chosen = true;
  s.chosenLogPath = path;
  s.platform.ClearEvents();
  ByteReader job;
  std::string reason;
  if (job.Open(path, &reason)) {
    result.inputRead = true;
    job.Close();
  } else {
    result.inputError = reason;
  }
  return result;
}

}  // namespace zeltlog
