// The XML of a TASKDATA export (TASKDATA.XML and each time log's header),
// written with libxml2's text writer, and its zip (libzip): both in the
// analysis module, so that a plain conversion loads neither library. The
// programs reach them through TaskDataModuleFunctions.
#pragma once

#include <string>

#include "coverage/taskdata.h"

namespace zeltlog {

// "2019-05-14T07:42:05" (".25" with hundredths, "+10:00" with a zone) of a
// time log's time, for the task's start and stop.
std::string TimeLogDateTime(const TimeLogTime& time, bool zoneKnown, int zoneHours);

// Writes TASKDATA.XML and the TLGnnnnn.XML header of each task with a time
// log into `folder`, beside the time logs' .BIN files. IDs follow the
// standard's patterns (CTR1, FRM1, PFD1, WKR1, PDT1, DVC1, DET1, TSK1,
// TLG00001); customers, farms, fields, workers, products and machines of
// the same name are one entry. False with the reason otherwise.
bool WriteTaskDataFiles(const TaskData& data, const std::string& folder, std::string* error);

// Zips every file of `folder` as TASKDATA/<name> into `zipPath`: a new
// archive written beside it and renamed over it when complete. False with
// the reason otherwise; the target then stays as it was.
bool PackTaskDataZip(const std::string& folder, const std::string& zipPath, std::string* error);

// What the analysis module offers for TASKDATA exports; its C function
// kEntry returns it.
struct TaskDataModuleFunctions {
  static constexpr const char* kEntry = "zeltlog_taskdata_module_functions";
  static constexpr int kVersion = 1;
  int version;
  bool (*writeTaskDataFiles)(const TaskData& data, const std::string& folder, std::string* error);
  bool (*packTaskDataZip)(const std::string& folder, const std::string& zipPath, std::string* error);
};

// Why this build has no TASKDATA exports (a Windows build made without
// libxml2), or empty.
const std::string& TaskDataModuleLeftOut();
// Why TASKDATA exports cannot be written (the module cannot be loaded, or
// the build leaves them out), or empty when they can.
const std::string& TaskDataModuleProblem();
// WriteTaskDataFiles and PackTaskDataZip through the module.
bool WriteTaskDataFilesWithModule(const TaskData& data, const std::string& folder, std::string* error);
bool PackTaskDataZipWithModule(const std::string& folder, const std::string& zipPath, std::string* error);

}  // namespace zeltlog
