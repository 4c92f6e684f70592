// As-applied data in the form farm management software imports (ISO
// 11783-10, version 4.3): a TASKDATA folder with one TASKDATA.XML that
// names the customers, farms, fields, workers, products, devices and tasks,
// and for each task a time log (TLGnnnnn.XML, its header, and TLGnnnnn.BIN,
// one binary record per accepted fix).
//
// The time logs are written during the pass by TimeLogSink
// (coverage/taskdata_time_log.h), in the program; the XML and the zip are
// written afterwards by the analysis module (libxml2, libzip), which only
// needs what is gathered here: the names and totals of each task.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "coverage/lonlat_geometry.h"

namespace zeltlog {

// The process data a time log records for each fix, in the order of its
// header's DLV entries (each binary record gives every one of them, by
// its index here). The boom (the device's second element) logs them.
struct TimeLogValue {
  uint16_t ddi;                  // data dictionary identifier
  uint16_t objectId;             // of its DPD in the device
  const char* designator;
};
inline constexpr uint16_t kDdiSetpointVolumePerArea = 1;  // mm³/m² (1 l/ha = 100 mm³/m²)
inline constexpr uint16_t kDdiActualVolumePerArea = 2;    // mm³/m²
inline constexpr uint16_t kDdiActualWorkingWidth = 67;    // mm
inline constexpr uint16_t kDdiActualWorkState = 141;      // 0 off, 1 on
// Two bits a section, the first section lowest: 00 off, 01 on, 11 not
// there. The logs give the boom's sections and one state for them all.
inline constexpr uint16_t kDdiActualCondensedWorkState = 161;
inline constexpr uint16_t kDdiTotalVolume = 80;           // l
inline constexpr uint16_t kDdiTotalArea = 116;            // m²
inline constexpr TimeLogValue kTimeLogValues[] = {
    {kDdiSetpointVolumePerArea, 11, "Target rate"},
    {kDdiActualVolumePerArea, 12, "Applied rate"},
    {kDdiActualWorkingWidth, 13, "Swath width"},
    {kDdiActualWorkState, 14, "Spraying"},
    {kDdiActualCondensedWorkState, 15, "Sections"},
};
inline constexpr int kTimeLogValueCount = sizeof kTimeLogValues / sizeof kTimeLogValues[0];

// Where the log gives the boom's sections, each is an element of its own
// (type section, the boom's child), numbered from the left in the
// direction of travel as DDI 161 counts them: one condensed state holds
// 16, so a log of more sections describes its swath as 16 equal ones.
// Each section logs its geometry with the first fix and after each
// change: its share of the swath width (mm) and the offsets of its centre
// from the fix (mm; x ahead, which the logs do not give, y to the right).
// Section k (1..16) is object 100 + k of the device, its values
// objectId + k, and they follow kTimeLogValues in the time log, by
// section then in this order.
inline constexpr int kMostSections = 16;
inline constexpr uint16_t kSectionObject = 100;
inline constexpr uint16_t kDdiDeviceElementOffsetX = 134;  // mm
inline constexpr uint16_t kDdiDeviceElementOffsetY = 135;  // mm
inline constexpr TimeLogValue kSectionValues[] = {
    {kDdiActualWorkingWidth, 200, "Section width"},
    {kDdiDeviceElementOffsetX, 300, "Section offset x"},
    {kDdiDeviceElementOffsetY, 400, "Section offset y"},
};
inline constexpr int kSectionValueCount = sizeof kSectionValues / sizeof kSectionValues[0];

// A local date and time as a time log gives it: days since 1980-01-01 and
// milliseconds since midnight.
struct TimeLogTime {
  uint16_t days = 0;
  uint32_t milliseconds = 0;
};

// What a time log holds, as its sink counted it.
struct TimeLogSummary {
  std::string name;      // "TLG00001": the file names without .XML and .BIN
  uint64_t records = 0;  // one per accepted fix
  uint64_t bytes = 0;    // of the .BIN
  TimeLogTime first, last;
  int sections = 0;  // the most sections whose geometry it logs (0: none)
};

// One task: a log, with its record's parties and places and the report's
// totals. An empty name leaves its element out.
struct TaskDataTask {
  std::string designator;  // the log's file name
  std::string customer, farm, field, worker, product, machine;
  LonLatMultiPolygon boundary;  // the field's, in -180..180; empty: none
  double fieldAreaM2 = 0.0;
  double sprayedAreaM2 = 0.0;  // DLV 116
  double volumeL = 0.0;        // DLV 80
  // Hours east of UTC for the task's start and stop; absent: none given.
  bool zoneKnown = false;
  int zoneHours = 0;
  TimeLogSummary timeLog;  // records == 0: the task has no time log
};

struct TaskData {
  std::string softwareVersion;
  std::vector<TaskDataTask> tasks;
};

}  // namespace zeltlog
