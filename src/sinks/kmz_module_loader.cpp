#include <mutex>

#include "sinks/analysis_module.h"
#include "sinks/kmz_archive.h"

namespace zeltlog {

bool WriteKmz(const std::string& kmlPath, const std::string& kmzPath, std::string* error) {
#ifdef ZELTLOG_ANALYSIS_LINKED
  return WriteKmzArchive(kmlPath, kmzPath, error);
#else
  static const KmzModuleFunctions* functions = nullptr;
  static std::string problem;
  static std::once_flag once;
  std::call_once(once, [] {
    std::string reason;
    functions = static_cast<const KmzModuleFunctions*>(
        LoadProgramModule(kAnalysisModule, kKmzModuleEntry, kKmzModuleVersion, reason));
    if (!functions) problem = AnalysisModuleProblem("KMZ archives need", reason);
  });
  if (!functions) {
    if (error) *error = problem;
    return false;
  }
  return functions->writeKmzArchive(kmlPath, kmzPath, error);
#endif
}

}  // namespace zeltlog
