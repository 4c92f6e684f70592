// `report --isoxml OUT`: the TASKDATA of one or more logs, one task per
// log, in OUT/TASKDATA/ (OUT a folder, made when missing) or at the root of
// the zip OUT. The time logs are streamed into a private staging folder
// during each log's pass (TimeLogSink); the XML is written once every log
// is reported, and the whole TASKDATA takes its place in one step: the
// folder is exchanged with an earlier one, or the zip renamed over its
// target. Until then nothing of an earlier TASKDATA changes, and a run
// that fails or is interrupted leaves none of the new one behind.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "coverage/coverage_report.h"
#include "coverage/taskdata.h"
#include "coverage/taskdata_time_log.h"
#include "job_record/job_info.h"

namespace zeltlog {

class TaskDataExport {
 public:
  TaskDataExport() = default;
  TaskDataExport(const TaskDataExport&) = delete;
  TaskDataExport& operator=(const TaskDataExport&) = delete;
  ~TaskDataExport();

  // Checks OUT and makes the staging folder; `softwareVersion` is the
  // program's, as TASKDATA names it. False with the reason when OUT is a
  // file that is neither a folder nor a zip archive, when its folder does
  // not exist, when nothing can be written there, or when the module that
  // writes the XML cannot be loaded.
  bool Begin(const std::string& out, const std::string& softwareVersion, std::string& error);
  // The sink of the next task's time log.
  std::unique_ptr<TimeLogSink> NextTimeLog();
  // The task of a reported log whose time log `sink` wrote; `task` gives
  // its names and totals.
  void AddTask(TaskDataTask task, const TimeLogSink& sink);
  // Drops the time log of a log that could not be read: it makes no task.
  void DropTimeLog(const TimeLogSink& sink);
  // Writes the XML and puts TASKDATA in place. False with the reason; no
  // part of it is then left.
  bool Finish(std::string& error);
  // What takes OUT's place: OUT/TASKDATA or the zip.
  std::string Target() const;

 private:
  void Discard();

  std::string out_;
  bool zip_ = false;
  bool madeOut_ = false;  // OUT was made by this export
  std::string staging_;   // the private folder; its TASKDATA holds the files
  std::string failure_;   // a time log that could not be written
  TaskData data_;
};

// A task's names and totals from a log's report and its job's record: the
// log's file name; the record's client (customer), farm, field, operator
// (worker), product and machine (the aircraft when the log names none),
// and its time zone; the report's field (in -180..180), field area,
// sprayed area and volume.
TaskDataTask TaskDataTaskOf(const std::string& log, const CoverageReport& report, const JobRecord& job);

}  // namespace zeltlog
