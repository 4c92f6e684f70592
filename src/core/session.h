// ConversionSession: what a front end keeps between commands: its event
// list, progress display and desktop, the output switches and spray projection of the main job,
// the log chosen last and the folder of the file chosen last, and what the
// window shows of the last run. Each front end owns its own session; the
// state of a run lives in the run, not here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/desktop.h"
#include "core/event_log.h"
#include "core/progress.h"

namespace zeltlog {

// The main job's output switches and spray projection.
struct RunOptions {
  bool lineOutput = true;      // the flight-path document
  bool swathOutput = true;     // the swath document; off, the main job does nothing
  bool marksOutput = true;     // the marks document
  bool boundaryOutput = true;  // boundary points in the marks document
  bool htmlOutput = true;      // kept for the window's switch; no output uses it
  double sprayProjection = 0.0;  // seconds of travel a fix is moved forward by
  // Documents for viewers and GIS tools (all off: the documents as always).
  bool kmz = false;          // each document zipped as a KMZ
  bool ogcKml = false;       // valid against the OGC KML 2.2 schema
  bool timeStamps = false;   // quads and path points carry their time (implies ogcKml's layout)
  bool rateColours = false;  // quads styled by applied rate (implies ogcKml's layout)
};

struct ConversionSession {
  ConversionSession(EventLog& e, Progress& p, Desktop& d) : events(e), progress(p), desktop(d) {}
  ConversionSession(const ConversionSession&) = delete;
  ConversionSession& operator=(const ConversionSession&) = delete;

  // Adds a line to the event list.
  void AddEvent(EventKind kind, std::string_view line) { events.AddEvent(kind, line); }
  // False when nobody will see lines of this kind: they need not be formatted.
  bool Wants(EventKind kind) const { return events.WantsEvents(kind); }

  EventLog& events;
  Progress& progress;
  // The side converters' choosers and message boxes; the passes never use it.
  Desktop& desktop;
  RunOptions options;
  std::string chosenLogPath;
  // Folder of the file last chosen in any chooser: "DATA.DAT" and the job
  // file go there. Empty means the process's working directory.
  std::string lastChosenFolder;
  // Of the last run: good frames, and "POS1" or "POS2" after the last
  // position record.
  int goodRecordCount = 0;
  std::string positionFormatLabel;
};

// Asks the desktop's chooser for an existing file; a chosen file's folder
// becomes the folder "DATA.DAT" and the job file go to, as the desktop's
// chooser would make it the working directory. Nothing when cancelled.
std::optional<std::string> ChooseFileAndRememberFolder(ConversionSession& session, std::string_view filter,
                                                       std::string_view defaultExtension);

}  // namespace zeltlog
