#include "coverage/taskdata_xml.h"

#include <libxml/xmlwriter.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

namespace zeltlog {
namespace {

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

// The device's elements: the machine (DET type 1, object 1) carries the
// task's totals, the boom (type 2, object 2) the logged values, and each
// of the boom's sections (type 4) its geometry (coverage/taskdata.h).
constexpr uint16_t kMachineObject = 1, kBoomObject = 2;
constexpr uint16_t kTotalAreaObject = 16, kTotalVolumeObject = 17;
constexpr uint16_t kRatePresentation = 21, kWidthPresentation = 22, kAreaPresentation = 23,
                   kVolumePresentation = 24;

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value);
  return text;
}

std::string Decimal(double value, int digits) {
  char text[64];
  const auto [end, code] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits);
  return code == std::errc() ? std::string(text, end) : "0";
}

std::string Whole(double value, double most) {
  const double rounded = std::round(value);
  if (!(rounded > 0.0)) return "0";
  return std::to_string(static_cast<uint64_t>(std::min(rounded, most)));
}

// Text for an attribute: characters XML cannot carry become spaces.
std::string Clean(const std::string& text) {
  std::string clean = text;
  for (char& c : clean) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return clean;
}

// Entries named once across the tasks: the same name, the same ID.
class Names {
 public:
  explicit Names(std::string prefix) : prefix_(std::move(prefix)) {}
  // The ID of `name`, or empty for an empty name.
  std::string Of(const std::string& name) {
    if (name.empty()) return {};
    auto [at, added] = ids_.try_emplace(name, "");
    if (added) {
      at->second = prefix_ + std::to_string(ids_.size());
      order_.push_back(name);
    }
    return at->second;
  }
  const std::vector<std::string>& order() const { return order_; }
  const std::string& IdOf(const std::string& name) const { return ids_.at(name); }

 private:
  std::string prefix_;
  std::map<std::string, std::string> ids_;
  std::vector<std::string> order_;
};

// The text writer into memory: every call checked, the first failure kept.
class Writer {
 public:
  Writer() : buffer_(xmlBufferCreate()), writer_(buffer_ ? xmlNewTextWriterMemory(buffer_, 0) : nullptr) {
    ok_ = writer_ != nullptr;
    if (ok_) {
      xmlTextWriterSetIndent(writer_, 1);
      Check(xmlTextWriterStartDocument(writer_, nullptr, "UTF-8", nullptr));
    }
  }
  ~Writer() {
    if (writer_) xmlFreeTextWriter(writer_);
    if (buffer_) xmlBufferFree(buffer_);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void Start(const char* name) {
    if (ok_) Check(xmlTextWriterStartElement(writer_, BAD_CAST name));
  }
  void Attribute(const char* name, const std::string& value) {
    if (ok_) Check(xmlTextWriterWriteAttribute(writer_, BAD_CAST name, BAD_CAST Clean(value).c_str()));
  }
  // An attribute left out when its value is empty.
  void Optional(const char* name, const std::string& value) {
    if (!value.empty()) Attribute(name, value);
  }
  void End() {
    if (ok_) Check(xmlTextWriterEndElement(writer_));
  }

  // Ends the document and writes it to `path`.
  bool Save(const std::string& path, std::string* error) {
    if (ok_) Check(xmlTextWriterEndDocument(writer_));
    if (ok_) Check(xmlTextWriterFlush(writer_));
    if (!ok_) return Fail(error, "cannot write the XML of " + path);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return Fail(error, path + ": " + std::strerror(errno));
    const size_t size = static_cast<size_t>(xmlBufferLength(buffer_));
    const bool written = std::fwrite(xmlBufferContent(buffer_), 1, size, file) == size;
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written) {
      return Fail(error, path + ": " + std::strerror(written ? errno : writeError));
    }
    return true;
  }

 private:
  void Check(int code) {
    if (code < 0) ok_ = false;
  }

  xmlBufferPtr buffer_;
  xmlTextWriterPtr writer_;
  bool ok_ = false;
};

void ValuePresentation(Writer& w, uint16_t id, const char* scale, const char* decimals, const char* unit) {
  w.Start("DVP");
  w.Attribute("A", std::to_string(id));
  w.Attribute("B", "0");
  w.Attribute("C", scale);
  w.Attribute("D", decimals);
  w.Attribute("E", unit);
  w.End();
}

void ProcessData(Writer& w, uint16_t id, uint16_t ddi, const char* property, const char* triggers,
                 const char* designator, uint16_t presentation) {
  w.Start("DPD");
  w.Attribute("A", std::to_string(id));
  w.Attribute("B", Hex4(ddi));
  w.Attribute("C", property);
  w.Attribute("D", triggers);
  w.Attribute("E", designator);
  if (presentation != 0) w.Attribute("F", std::to_string(presentation));
  w.End();
}

// The device of one machine, its elements DET(first), DET(first + 1) and
// one for each of its `sections` from DET(first + 2) on.
void Device(Writer& w, const std::string& id, const std::string& machine, int firstElement, int sections,
            const std::string& softwareVersion) {
  w.Start("DVC");
  w.Attribute("A", id);
  w.Attribute("B", machine.empty() ? "Sprayer" : machine);
  w.Attribute("C", softwareVersion);
  // A NAME of the agricultural industry group, device class sprayers.
  w.Attribute("D", "A00C800000000000");
  w.Attribute("F", "00000000000000");
  // Localisation: English.
  w.Attribute("G", "FF000000006E65");
  struct Element {
    uint16_t object, type, parent;
    std::string designator;
    std::vector<uint16_t> data;
  };
  std::vector<uint16_t> logged;
  for (const TimeLogValue& value : kTimeLogValues) logged.push_back(value.objectId);
  std::vector<Element> elements = {{kMachineObject, 1, 0, "Machine", {kTotalAreaObject, kTotalVolumeObject}},
                                    {kBoomObject, 2, kMachineObject, "Boom", logged}};
  for (int k = 1; k <= sections; ++k) {
    std::vector<uint16_t> geometry;
    for (const TimeLogValue& value : kSectionValues) geometry.push_back(static_cast<uint16_t>(value.objectId + k));
    // Its parent is the boom's object.
    elements.push_back(
        {static_cast<uint16_t>(kSectionObject + k), 4, kBoomObject, "Section " + std::to_string(k), geometry});
  }
  for (size_t i = 0; i < elements.size(); ++i) {
    const Element& e = elements[i];
    w.Start("DET");
    w.Attribute("A", "DET" + std::to_string(firstElement + static_cast<int>(i)));
    w.Attribute("B", std::to_string(e.object));
    w.Attribute("C", std::to_string(e.type));
    w.Attribute("D", e.designator);
    w.Attribute("E", std::to_string(i));
    w.Attribute("F", std::to_string(e.parent));
    for (const uint16_t object : e.data) {
      w.Start("DOR");
      w.Attribute("A", std::to_string(object));
      w.End();
    }
    w.End();
  }
  for (const TimeLogValue& value : kTimeLogValues) {
    const bool setpoint = value.ddi == kDdiSetpointVolumePerArea;
    const bool rate = value.ddi == kDdiSetpointVolumePerArea || value.ddi == kDdiActualVolumePerArea;
    const uint16_t presentation = rate ? kRatePresentation : value.ddi == kDdiActualWorkingWidth ? kWidthPresentation : 0;
    // Settable for the setpoint; logged on change and in time.
    ProcessData(w, value.objectId, value.ddi, setpoint ? "3" : "1", "9", value.designator, presentation);
  }
  ProcessData(w, kTotalAreaObject, kDdiTotalArea, "1", "16", "Sprayed area", kAreaPresentation);
  ProcessData(w, kTotalVolumeObject, kDdiTotalVolume, "1", "16", "Volume", kVolumePresentation);
  for (int k = 1; k <= sections; ++k) {
    // Logged on change.
    for (const TimeLogValue& value : kSectionValues) {
      ProcessData(w, static_cast<uint16_t>(value.objectId + k), value.ddi, "1", "8", value.designator,
                  kWidthPresentation);
    }
  }
  // 1 l/ha = 100 mm³/m².
  ValuePresentation(w, kRatePresentation, "0.01", "2", "l/ha");
  ValuePresentation(w, kWidthPresentation, "0.001", "2", "m");
  ValuePresentation(w, kAreaPresentation, "0.0001", "4", "ha");
  ValuePresentation(w, kVolumePresentation, "1", "0", "l");
  w.End();
}

void Ring(Writer& w, const LonLatRing& ring, const char* type) {
  w.Start("LSG");
  w.Attribute("A", type);
  for (const LonLat& at : ring) {
    w.Start("PNT");
    w.Attribute("A", "2");
    w.Attribute("C", Decimal(at.latitude, 9));
    w.Attribute("D", Decimal(at.longitude, 9));
    w.End();
  }
  w.End();
}

// The header of a task's time log; its device's elements from DET(first).
bool WriteTimeLogHeader(const TaskDataTask& task, int firstElement, const std::string& folder, std::string* error) {
  Writer w;
  w.Start("TIM");
  w.Attribute("A", "");
  w.Attribute("D", "4");
  w.Start("PTN");
  for (const char* given : {"A", "B", "C", "D"}) w.Attribute(given, "");
  w.End();
  auto logValue = [&w](uint16_t ddi, int element) {
    w.Start("DLV");
    w.Attribute("A", Hex4(ddi));
    w.Attribute("B", "");
    w.Attribute("C", "DET" + std::to_string(element));
    w.End();
  };
  for (const TimeLogValue& value : kTimeLogValues) logValue(value.ddi, firstElement + 1);
  for (int k = 0; k < std::min(task.timeLog.sections, kMostSections); ++k) {
    for (const TimeLogValue& value : kSectionValues) logValue(value.ddi, firstElement + 2 + k);
  }
  w.End();
  return w.Save(folder + "/" + task.timeLog.name + ".XML", error);
}

}  // namespace

std::string TimeLogDateTime(const TimeLogTime& time, bool zoneKnown, int zoneHours) {
  // The civil date of a day count (H. Hinnant's algorithm), from 1970.
  const long z = static_cast<long>(time.days) + 3652 + 719468;
  const long era = z / 146097;
  const long dayOfEra = z - era * 146097;
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long mp = (5 * dayOfYear + 2) / 153;
  const long day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const long month = mp < 10 ? mp + 3 : mp - 9;
  const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  const uint32_t ms = time.milliseconds;
  char text[64];
  int n = std::snprintf(text, sizeof text, "%04ld-%02ld-%02ldT%02u:%02u:%02u", year, month, day, ms / 3600000,
                        ms / 60000 % 60, ms / 1000 % 60);
  if (ms % 1000 != 0) n += std::snprintf(text + n, sizeof text - n, ".%02u", ms % 1000 / 10);
  if (zoneKnown) {
    std::snprintf(text + n, sizeof text - n, "%c%02d:00", zoneHours < 0 ? '-' : '+', std::abs(zoneHours));
  }
  return text;
}

bool WriteTaskDataFiles(const TaskData& data, const std::string& folder, std::string* error) {
  Names customers("CTR"), farms("FRM"), fields("PFD"), workers("WKR"), products("PDT"), machines("DVC");
  // A field without a name is the task's own.
  std::vector<std::string> fieldKeys;
  std::map<std::string, const TaskDataTask*> fieldTask;
  for (size_t i = 0; i < data.tasks.size(); ++i) {
    const TaskDataTask& t = data.tasks[i];
    customers.Of(t.customer);
    farms.Of(t.farm);
    workers.Of(t.worker);
    products.Of(t.product);
    machines.Of(t.machine.empty() ? "Sprayer" : t.machine);
    std::string key = t.field.empty() && !t.boundary.empty() ? "\x01" + std::to_string(i) : t.field;
    fieldKeys.push_back(key);
    if (!key.empty()) {
      fields.Of(key);
      // The first task of a field that has its boundary gives it.
      auto [at, added] = fieldTask.try_emplace(key, &t);
      if (!added && at->second->boundary.empty() && !t.boundary.empty()) at->second = &t;
    }
  }
  // A machine has as many sections as the most any of its logs gives, and
  // its elements are numbered after the machine's before it.
  auto machineOf = [](const TaskDataTask& t) { return t.machine.empty() ? std::string("Sprayer") : t.machine; };
  std::map<std::string, int> sections, firstElements;
  for (const TaskDataTask& t : data.tasks) {
    int& most = sections[machineOf(t)];
    most = std::max(most, std::min(t.timeLog.sections, kMostSections));
  }
  int next = 1;
  for (const std::string& name : machines.order()) {
    firstElements[name] = next;
    next += 2 + sections[name];
  }
  auto firstElement = [&](const TaskDataTask& t) { return firstElements.at(machineOf(t)); };

  Writer w;
  w.Start("ISO11783_TaskData");
  w.Attribute("VersionMajor", "4");
  w.Attribute("VersionMinor", "3");
  w.Attribute("ManagementSoftwareManufacturer", "ZELTLOG");
  w.Attribute("ManagementSoftwareVersion", data.softwareVersion);
  w.Attribute("DataTransferOrigin", "2");
  for (const std::string& name : customers.order()) {
    w.Start("CTR");
    w.Attribute("A", customers.IdOf(name));
    w.Attribute("B", name);
    w.End();
  }
  for (const std::string& name : farms.order()) {
    w.Start("FRM");
    w.Attribute("A", farms.IdOf(name));
    w.Attribute("B", name);
    // The customer of the farm's first task.
    for (const TaskDataTask& t : data.tasks) {
      if (t.farm == name) {
        w.Optional("I", customers.Of(t.customer));
        break;
      }
    }
    w.End();
  }
  for (const std::string& key : fields.order()) {
    const TaskDataTask& t = *fieldTask.at(key);
    w.Start("PFD");
    w.Attribute("A", fields.IdOf(key));
    w.Attribute("C", t.field.empty() ? t.designator : t.field);
    w.Attribute("D", Whole(t.fieldAreaM2, 4294967294.0));
    w.Optional("E", customers.Of(t.customer));
    w.Optional("F", farms.Of(t.farm));
    for (const LonLatPolygon& polygon : t.boundary) {
      w.Start("PLN");
      w.Attribute("A", "1");
      Ring(w, polygon.outer, "1");
      for (const LonLatRing& hole : polygon.holes) Ring(w, hole, "2");
      w.End();
    }
    w.End();
  }
  for (const std::string& name : workers.order()) {
    w.Start("WKR");
    w.Attribute("A", workers.IdOf(name));
    w.Attribute("B", name);
    w.End();
  }
  for (const std::string& name : products.order()) {
    w.Start("PDT");
    w.Attribute("A", products.IdOf(name));
    w.Attribute("B", name);
    w.End();
  }
  for (const std::string& name : machines.order()) {
    const std::string& id = machines.IdOf(name);
    Device(w, id, name, firstElements.at(name), sections.at(name), data.softwareVersion);
  }
  for (size_t i = 0; i < data.tasks.size(); ++i) {
    const TaskDataTask& t = data.tasks[i];
    const std::string machine = "DET" + std::to_string(firstElement(t));
    const std::string boom = "DET" + std::to_string(firstElement(t) + 1);
    w.Start("TSK");
    w.Attribute("A", "TSK" + std::to_string(i + 1));
    w.Attribute("B", t.designator);
    w.Optional("C", customers.Of(t.customer));
    w.Optional("D", farms.Of(t.farm));
    w.Optional("E", fieldKeys[i].empty() ? "" : fields.IdOf(fieldKeys[i]));
    w.Optional("F", workers.Of(t.worker));
    w.Attribute("G", "4");  // completed
    w.Start("TIM");
    w.Attribute("A", TimeLogDateTime(t.timeLog.first, t.zoneKnown, t.zoneHours));
    w.Attribute("B", TimeLogDateTime(t.timeLog.last, t.zoneKnown, t.zoneHours));
    w.Attribute("D", "4");  // effective
    const std::pair<uint16_t, double> totals[] = {{kDdiTotalArea, t.sprayedAreaM2}, {kDdiTotalVolume, t.volumeL}};
    for (const auto& [ddi, value] : totals) {
      w.Start("DLV");
      w.Attribute("A", Hex4(ddi));
      w.Attribute("B", Whole(value, 2147483647.0));
      w.Attribute("C", machine);
      w.End();
    }
    w.End();
    if (!t.product.empty()) {
      w.Start("PAN");
      w.Attribute("A", products.Of(t.product));
      w.Attribute("E", boom);
      w.End();
    }
    if (t.timeLog.records > 0) {
      w.Start("TLG");
      w.Attribute("A", t.timeLog.name);
      w.Attribute("B", std::to_string(t.timeLog.bytes));
      w.Attribute("C", "1");  // binary
      w.End();
    }
    w.End();
  }
  w.End();
  if (!w.Save(folder + "/TASKDATA.XML", error)) return false;
  for (const TaskDataTask& t : data.tasks) {
    if (t.timeLog.records == 0) continue;
    if (!WriteTimeLogHeader(t, firstElement(t), folder, error)) return false;
  }
  return true;
}

bool PackTaskDataZip(const std::string& folder, const std::string& zipPath, std::string* error) {
  std::error_code ec;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  if (ec) return Fail(error, ec.message());
  std::sort(names.begin(), names.end());
  int code = 0;
  // ZIP_TRUNCATE ignores what the target holds; libzip writes the new
  // archive into a temporary file and renames it over the target on close.
  zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) {
    zip_error_t reason;
    zip_error_init_with_code(&reason, code);
    const std::string text = zip_error_strerror(&reason);
    zip_error_fini(&reason);
    return Fail(error, text);
  }
  auto failed = [&] {
    const char* text = zip_strerror(archive);
    const std::string reason = text && *text ? text : "cannot write the archive";
    zip_discard(archive);
    return Fail(error, reason);
  };
  if (zip_dir_add(archive, "TASKDATA", ZIP_FL_ENC_UTF_8) < 0) return failed();
  for (const std::string& name : names) {
    zip_source_t* source = zip_source_file(archive, (folder + "/" + name).c_str(), 0, -1);
    if (!source) return failed();
    const zip_int64_t index = zip_file_add(archive, ("TASKDATA/" + name).c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      return failed();
    }
    // The fastest deflate: a time log of a million fixes (45 MB) packs to
    // a quarter in a fraction of the time the default level takes.
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
  }
  if (zip_close(archive) != 0) return failed();
  return true;
}

}  // namespace zeltlog
