// The exported event list: a fixed header line, then every line of the
// event list followed by "\n", with CR LF line ends on disk.
#pragma once

#include <string>
#include <string_view>

#include "core/event_store.h"
#include "core/output_file.h"
#include "core/session.h"

namespace zeltlog {

inline constexpr std::string_view kEventListHeader =
    "VRC,dtim1,bfstat,bf0stat,bflow_Status,dtargetrate[0],dtargetratepertime,Flow_Status,tot_liters,valve_cal,"
    "meter_cal,app_liters_hectare,app_liters_min,dlat, dlon, dswath\n";

inline constexpr std::string_view kEventExportFileName = "DATA.DAT";

// Writes an event list line by line as it is produced, so that a list of
// any length needs no memory.
class EventListWriter {
 public:
  bool Open(const std::string& path, std::string* error = nullptr);
  // Opens without the header line, for a part of a list joined later.
  bool OpenRaw(const std::string& path, std::string* error = nullptr);
  void Add(std::string_view line);
  bool Close(std::string* error = nullptr);
  bool IsOpen() const { return file_.IsOpen(); }
  int count() const { return count_; }

 private:
  OutputFile file_;
  int count_ = 0;
};

// The "EXPORT" command: writes the stored event list to "DATA.DAT" in the
// folder of the file last chosen, then confirms with a message and a beep,
// or says "DATA.DAT not opened". Returns true when the file was written.
bool ExportEventList(ConversionSession& session, const EventStore& events);

}  // namespace zeltlog
