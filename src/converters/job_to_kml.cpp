#include "converters/job_to_kml.h"

#include "core/byte_reader.h"
#include "core/output_names.h"

namespace zeltlog {

CommandResult OpenJobFile(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kJobToKmlFilter, "KML");
  if (!chosen) return {};
  return OpenJobFileOn(s, *chosen);
}

CommandResult OpenJobFileOn(ConversionSession& s, const std::string& path) {
  CommandResult result;
  result.chosen = true;
  s.chosenLogPath = path;
  s.events.ClearEvents();
  ByteReader job;
  std::string reason;
  if (job.Open(path, &reason)) {
    result.inputRead = true;
    job.Close();
  } else {
    result.Unreadable(reason);
  }
  return result;
}

}  // namespace zeltlog
