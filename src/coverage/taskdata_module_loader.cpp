#include "coverage/taskdata_xml.h"
#include "sinks/analysis_module.h"

namespace zeltlog {
namespace {

constexpr const char* kLeftOut = "TASKDATA exports are left out of this Windows build (it was made without libxml2)";

const ModuleFunctions<TaskDataModuleFunctions>& Module() {
#if defined(ZELTLOG_ANALYSIS_LINKED) && defined(ZELTLOG_TASKDATA_LINKED)
  static const TaskDataModuleFunctions linked = {TaskDataModuleFunctions::kVersion, WriteTaskDataFiles,
                                                 PackTaskDataZip};
  static const auto module = ModuleFunctions<TaskDataModuleFunctions>::Linked(linked);
#elif defined(ZELTLOG_ANALYSIS_LINKED)
  static const auto module = ModuleFunctions<TaskDataModuleFunctions>::LeftOut(kLeftOut);
#else
  static const ModuleFunctions<TaskDataModuleFunctions> module(kAnalysisModule, "TASKDATA exports need");
#endif
  return module;
}

}  // namespace

const std::string& TaskDataModuleLeftOut() {
#if defined(ZELTLOG_ANALYSIS_LINKED) && !defined(ZELTLOG_TASKDATA_LINKED)
  static const std::string reason = kLeftOut;
#else
  static const std::string reason;
#endif
  return reason;
}

const std::string& TaskDataModuleProblem() { return Module().problem(); }

bool WriteTaskDataFilesWithModule(const TaskData& data, const std::string& folder, std::string* error) {
  auto failed = [&](const std::string& problem) {
    if (error) *error = problem;
    return false;
  };
  return Module().Call(&TaskDataModuleFunctions::writeTaskDataFiles, failed, data, folder, error);
}

bool PackTaskDataZipWithModule(const std::string& folder, const std::string& zipPath, std::string* error) {
  auto failed = [&](const std::string& problem) {
    if (error) *error = problem;
    return false;
  };
  return Module().Call(&TaskDataModuleFunctions::packTaskDataZip, failed, folder, zipPath, error);
}

}  // namespace zeltlog
