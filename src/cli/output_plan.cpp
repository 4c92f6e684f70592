#include "cli/output_plan.h"

#include <cstdio>

#include "converters/kml_to_job.h"
#include "core/output_names.h"
#include "core/same_file.h"

namespace zeltlog::cli {

std::vector<std::string> ConvertOutputs(const ConvertOptions& o) {
  std::vector<std::string> outputs;
  for (const auto& log : o.logs) {
    const std::string base = OutputBase(log);
    if (!o.noPath) outputs.push_back(base + ".KML");
    outputs.push_back(base + "_SIC.KML");
    if (!o.noMarks) outputs.push_back(base + "_M.KML");
  }
  return outputs;
}

std::vector<std::string> Bin1Outputs(const std::string& input) {
  const std::string base = OutputBase(input);
  return {base + ".CSV", base + "_AGE.KML", base + "_MODE.KML", base + "_SATS.KML"};
}

std::vector<std::string> Rq7Outputs(const std::string& input) { return {OutputBase(input) + "P.BIN"}; }

std::vector<std::string> JobOutputs(const KmlToJobCommandOptions& o) {
  if (!JobFileNameProblem(o.name).empty()) return {};
  return {JoinPath(FolderOf(o.kml), o.name)};
}

bool OutputsAreNewFiles(const std::vector<std::string>& inputs, std::vector<std::string> outputs,
                        const CommonOptions& common) {
  if (!common.eventsPath.empty()) outputs.insert(outputs.begin(), common.eventsPath);
  const auto same = FindSameFile(inputs, outputs);
  if (!same) return true;
  std::fprintf(stderr, "zeltlog-cli: %s: is the same file as the %s %s: nothing written\n", same->output.c_str(),
               same->existingIsInput ? "input" : "output", same->existing.c_str());
  return false;
}

}  // namespace zeltlog::cli
