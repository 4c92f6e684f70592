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
    const auto* found =
        static_cast<const CoverageModuleFunctions*>(LoadProgramModule(kAnalysisModule, kCoverageModuleEntry, reason));
    if (found && found->version == kCoverageModuleVersion) {
      loaded.functions = found;
      return;
    }
    loaded.problem = AnalysisModuleProblem("the coverage report needs", found ? "not this program's module" : reason);
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
