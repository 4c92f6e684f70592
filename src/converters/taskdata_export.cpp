#include "converters/taskdata_export.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/name_text.h"
#include "core/os.h"
#include "core/output_names.h"
#include "core/temporary_file.h"
#include "coverage/lonlat_geometry.h"
#include "coverage/taskdata_xml.h"

namespace zeltlog {
namespace {

namespace fs = std::filesystem;

bool EndsWithZip(const std::string& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".zip";
}

// A zip archive begins with a local file header, or is empty and begins
// with its end record.
bool IsZipArchive(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char start[4] = {};
  const size_t read = std::fread(start, 1, sizeof start, file);
  std::fclose(file);
  return read == 4 && (std::memcmp(start, "PK\x03\x04", 4) == 0 || std::memcmp(start, "PK\x05\x06", 4) == 0);
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

}  // namespace

TaskDataExport::~TaskDataExport() { Discard(); }

void TaskDataExport::Discard() {
  if (!staging_.empty()) RemoveTemporaryFolder(staging_);
  staging_.clear();
  if (madeOut_) {
    std::error_code ignored;
    fs::remove(os::NativePath(out_), ignored);  // only while still empty
    madeOut_ = false;
  }
}

std::string TaskDataExport::Target() const { return zip_ ? out_ : JoinPath(out_, "TASKDATA"); }

bool TaskDataExport::Begin(const std::string& out, const std::string& softwareVersion, std::string& error) {
  out_ = WithoutTrailingSlash(out);
  data_.softwareVersion = softwareVersion;
  if (!TaskDataModuleProblem().empty()) {
    error = TaskDataModuleProblem();
    return false;
  }
  std::error_code ec;
  const fs::file_status status = fs::status(os::NativePath(out_), ec);
  const bool exists = fs::exists(status);
  const bool folder = exists && fs::is_directory(status);
  zip_ = !folder && EndsWithZip(out_);
  if (exists && !folder && !zip_) {
    error = "it is a file, neither a folder nor a .zip (left as it is)";
    return false;
  }
  if (exists && zip_ && (!fs::is_regular_file(status) || !IsZipArchive(out_))) {
    error = "it is a file but not a zip archive (left as it is)";
    return false;
  }
  const std::string parent = FolderOf(out_);
  if (!exists && !parent.empty() && !fs::is_directory(os::NativePath(parent), ec)) {
    error = "its folder " + parent + " does not exist";
    return false;
  }
  if (!exists && !zip_) {
    if (!fs::create_directory(os::NativePath(out_), ec)) {
      error = "cannot make the folder: " + ec.message();
      return false;
    }
    madeOut_ = true;
  }
  staging_ = MakeTemporaryFolder(zip_ ? parent : out_, ".zeltlog-taskdata-");
  if (staging_.empty()) {
    error = std::strerror(errno);
    Discard();
    return false;
  }
  if (!fs::create_directory(os::NativePath(JoinPath(staging_, "TASKDATA")), ec)) {
    error = ec.message();
    Discard();
    return false;
  }
  return true;
}

std::unique_ptr<TimeLogSink> TaskDataExport::NextTimeLog() {
  char name[16];
  // Numbered as the tasks are: a log that makes no task leaves no gap.
  std::snprintf(name, sizeof name, "TLG%05d", static_cast<int>(data_.tasks.size() + 1));
  return std::make_unique<TimeLogSink>(JoinPath(JoinPath(staging_, "TASKDATA"), std::string(name) + ".BIN"), name);
}

void TaskDataExport::AddTask(TaskDataTask task, const TimeLogSink& sink) {
  if (!sink.error().empty() && failure_.empty()) failure_ = sink.summary().name + ".BIN: " + sink.error();
  task.timeLog = sink.summary();
  data_.tasks.push_back(std::move(task));
}

void TaskDataExport::DropTimeLog(const TimeLogSink& sink) { std::remove(sink.path().c_str()); }

bool TaskDataExport::Finish(std::string& error) {
  const std::string staged = JoinPath(staging_, "TASKDATA");
  bool done = false;
  if (!failure_.empty()) {
    error = failure_;
  } else if (WriteTaskDataFilesWithModule(data_, staged, &error)) {
    if (zip_) {
      done = PackTaskDataZipWithModule(staged, out_, &error);
    } else if (const int failed = os::ExchangeFolder(staged, Target()); failed != 0) {
      error = failed == ENOTDIR ? "a file there has the name TASKDATA (left as it is)"
                                : std::string("cannot be put in place: ") + std::strerror(failed);
    } else {
      done = true;
    }
  }
  if (done) madeOut_ = false;
  // The staging folder goes, and with it an earlier TASKDATA exchanged.
  Discard();
  return done;
}

TaskDataTask TaskDataTaskOf(const std::string& log, const CoverageReport& report, const JobRecord& job) {
  TaskDataTask task;
  // A file name that is not UTF-8 is read as Windows-1252, as the JSON reads it.
  task.designator = Utf8OfName(FileNameOf(log));
  task.customer = job.info.client;
  task.farm = job.record.farm;
  task.field = job.record.field;
  task.worker = job.record.operatorName;
  task.product = job.info.product;
  task.machine = job.record.machine.empty() ? job.info.aircraft : job.record.machine;
  task.zoneKnown = job.record.timeZone.has_value();
  task.zoneHours = job.record.timeZone.value_or(0);
  task.boundary = report.field;
  // The report's frame follows the log's first place (0..360 logs stay
  // there); TASKDATA's points lie in -180..180.
  auto normalise = [](LonLatRing& ring) {
    for (LonLat& at : ring) at.longitude = LongitudeNear(at.longitude, 0.0);
  };
  for (LonLatPolygon& polygon : task.boundary) {
    normalise(polygon.outer);
    for (LonLatRing& hole : polygon.holes) normalise(hole);
  }
  task.fieldAreaM2 = report.fieldAreaHa.value_or(0.0) * 10000.0;
  task.sprayedAreaM2 = report.sprayedAreaHa * 10000.0;
  task.volumeL = report.volumeL;
  return task;
}

}  // namespace zeltlog
