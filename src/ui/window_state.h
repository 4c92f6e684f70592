// What the main window does to the session by itself, kept free of any
// window toolkit so that it reads (and is tested) on its own: the start-up
// values, the spray projection that the spin control sets every second,
// the output-switch toggles with their event lines, the log that RECORD
// and TASKDATA take, and the texts the read-only fields show.
#pragma once

#include <optional>
#include <string>

#include "core/session.h"

namespace zeltlog::ui {

// What only the window keeps, while it runs: the states of its check
// boxes, the texts of the fields no command sets, and what the job's
// record and the season archive take.
struct WindowFields {
  int lineCheckState = 1, swathCheckState = 1, marksCheckState = 1, shapeCheckState = 1;
  int debugCheckState = 0, boundariesCheckState = 1, htmlCheckState = 1;
  std::string vehicleText;
  std::string bottomText;
  int intField = 0;
  double doubleField = 0.0;
  // "Add to archive": each log ZELT LOG converts joins the season archive.
  bool addToArchive = false;
  // The job-info file that JOB INFO chose (empty: none).
  std::string jobInfoPath;
  // The log ZELT LOG or MAP REPORT read last, or RECORD or TASKDATA chose.
  std::string reportedLog;
};

// The window's start: output switches on, chosen path and job texts empty,
// vehicle "AIR", the int field 0, then the per-run reset.
void StartWindowSession(ConversionSession& session, WindowFields& fields);

// Spin control 1035: range 0 to 40, starting at 22 so that the first tick
// gives 0.2 seconds; each step is a tenth of a second around 20.
inline constexpr int kSpinMinimum = 0;
inline constexpr int kSpinMaximum = 40;
inline constexpr int kSpinStart = 22;
double SprayProjectionFromSpin(int spinPosition);

// The check boxes that switch an output on and off.
enum class OutputSwitch { Line, Swath, Marks, Boundaries, Html, Archive };
// One click on a switch's check box: a switch that is 0 becomes 1, any
// other value 0, with "... ON" or "... OFF" in the event list. Marks
// switched off takes Boundaries with it.
void ToggleSwitch(ConversionSession& session, WindowFields& fields, OutputSwitch which);

// The log RECORD and TASKDATA take: the one read last, else one the
// chooser gives (nothing when it is cancelled).
std::optional<std::string> LogForRecord(ConversionSession& session, WindowFields& fields);

// The texts of the read-only fields and the states of the check boxes, as
// the window copies them from the session.
struct FieldTexts {
  std::string recordCount;     // 1003
  std::string chosenPath;      // 1012
  std::string positionFormat;  // 1016
  std::string sprayProjection; // 1034
  std::string vehicle;         // 1036
  std::string bottom;          // 1029
  std::string intField;        // 1037
  std::string doubleField;     // 1038
  bool line = false, swath = false, marks = false, shape = false, boundaries = false, debug = false, html = false;
  bool archive = false;
};
FieldTexts FieldsOf(const ConversionSession& session, const WindowFields& fields);

// A real number as a dialog field shows it: the shortest of up to 15
// significant digits ("0.2", "-2", "0"), always with a decimal point.
std::string FieldNumber(double value);

}  // namespace zeltlog::ui
