// The "KML to JOB" command: a polygon drawn in a map viewer, saved as KML
// with WGS-84 longitude and latitude, becomes a FLYDEX job file named after
// the job, in the folder of the KML. The KML is read as text lines, not as
// XML: four tags are recognised at the start of a TAB-free line, and the
// coordinate tuples are taken from the lines between an opening and a
// closing coordinates tag. Every line written is echoed to the event list.
#pragma once

#include <string>
#include <string_view>

#include "core/command_result.h"
#include "core/session.h"

namespace zeltlog {

// The options of the KML-to-job command, as its dialog or the command line
// sets them.
struct KmlToJobOptions {
  std::string jobName = "A";
  int boundaryKind = 0;  // 0 include, 1 exclude
  int jobNumber = 1;     // 1 to 999
};

inline constexpr const char* kKmlToJobFilter =
    "Google Earth KML FORMAT *.KML to FLYDEX JOB format|*.KML|All Files - All Types|*.*;*||";

inline constexpr size_t kMaxJobNameLength = 20;
inline constexpr int kMinJobNumber = 1;
inline constexpr int kMaxJobNumber = 999;

// A refused KML writes no job file: one of the same name stays as it was.
inline constexpr std::string_view kKmlIsLineMessage =
    "This KML file is a line, needs to be a closed polygon to make a proper JOB file.  No job file written.";
inline constexpr std::string_view kKmlIsPointsMessage =
    "This KML file is a series of points, needs to be a closed polygon to make a proper JOB file.  No job file "
    "written.";
// Followed by what is wrong.
inline constexpr std::string_view kKmlNotOnTheGlobeMessage = "This file's polygon is no field on the globe: ";
inline constexpr std::string_view kKmlHasNoPolygonMessage =
    "This KML file has no polygon coordinates, needs to be a closed polygon to make a proper JOB file.  No job file "
    "written.";

// What the options dialog refuses: a name of more than 20 characters, a
// number outside 1 to 999. Empty when the options are acceptable.
std::string JobOptionsProblem(const KmlToJobOptions& options);

// The integer of the ".JOB" line: the job name when it is a whole number
// from 1 to 999 (consoles that take only numbered jobs need that), else the
// job number.
int JobLineNumber(const KmlToJobOptions& options);

// Why a job name cannot name a file (empty, a path separator, a control
// character), or empty when it can be tried.
std::string JobFileNameProblem(std::string_view name);

// Where the tuples of a KML's coordinate blocks go as the command reads
// them: each block opens a ring, a hole when an inner boundary tag came
// last before it.
class KmlVertexTaker {
 public:
  virtual void Ring(bool hole) = 0;
  virtual void Vertex(double latitude, double longitude) = 0;

 protected:
  ~KmlVertexTaker() = default;
};

// Reads the KML at `path` as the command does (a map viewer's layout),
// giving its rings and vertices to `taker`. Empty when it was read, else
// why not: it cannot be opened or read, or it is a line or points.
std::string ScanKmlCoordinates(const std::string& path, KmlVertexTaker& taker);

// The command: asks for the KML (the options are the session's, as the
// dialog left them), then converts it.
CommandResult ConvertKmlToJob(ConversionSession& session, const KmlToJobOptions& options);
// The conversion of a KML already chosen; the job file goes to the folder
// of the file last chosen (`session.lastChosenFolder`).
CommandResult ConvertKmlToJobOn(ConversionSession& session, const KmlToJobOptions& options,
                                const std::string& kmlPath);

}  // namespace zeltlog
