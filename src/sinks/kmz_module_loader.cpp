#include "sinks/analysis_module.h"
#include "sinks/kmz_archive.h"

namespace zeltlog {
namespace {

const ModuleFunctions<KmzModuleFunctions>& Module() {
#ifdef ZELTLOG_ANALYSIS_LINKED
  static const KmzModuleFunctions linked = {KmzModuleFunctions::kVersion, WriteKmzArchive};
  static const auto module = ModuleFunctions<KmzModuleFunctions>::Linked(linked);
#else
  static const ModuleFunctions<KmzModuleFunctions> module(kAnalysisModule, "KMZ archives need");
#endif
  return module;
}

}  // namespace

bool WriteKmz(const std::string& kmlPath, const std::string& kmzPath, std::string* error) {
  auto failed = [error](const std::string& problem) {
    if (error) *error = problem;
    return false;
  };
  return Module().Call(&KmzModuleFunctions::writeKmzArchive, failed, kmlPath, kmzPath, error);
}

}  // namespace zeltlog
