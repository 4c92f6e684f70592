#include <mutex>

#include "coverage/coverage_module.h"
#include "sinks/analysis_module.h"

namespace zeltlog {
namespace {

struct Loaded {
  const CoverageModuleFunctions* functions = nullptr;
  std::string problem;
};

const Loaded& Module() {
  static Loaded loaded;
  static std::once_flag once;
  std::call_once(once, [] {
#ifdef ZELTLOG_ANALYSIS_LINKED
    static const CoverageModuleFunctions linked = {kCoverageModuleVersion, ComputeCoverage, ComputeMapLayers};
    loaded.functions = &linked;
#else
    std::string reason;
    loaded.functions = static_cast<const CoverageModuleFunctions*>(
        LoadProgramModule(kAnalysisModule, kCoverageModuleEntry, kCoverageModuleVersion, reason));
    if (!loaded.functions) loaded.problem = AnalysisModuleProblem("the coverage report needs", reason);
#endif
  });
  return loaded;
}

}  // namespace

const std::string& CoverageModuleProblem() { return Module().problem; }

CoverageReport ComputeCoverageWithModule(const CoverageData& data, const LonLatMultiPolygon* field) {
  return Module().functions->computeCoverage(data, field);
}

MapLayers ComputeMapLayersWithModule(const CoverageData& data) { return Module().functions->computeMapLayers(data); }

}  // namespace zeltlog
