#include "job_record/job_info.h"

#include <nlohmann/json.hpp>

#include "core/byte_reader.h"
#include "kml/xml_text.h"

namespace zeltlog {
namespace {

using Json = nlohmann::json;

// Deeper than any job-info file goes, and far from the stack's limit.
constexpr int kMaximumNesting = 16;

// The line and column (from 1, in bytes) of an offset into the text.
std::string Place(std::string_view text, size_t offset) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The offset where brackets outside strings nest deeper than the limit, or
// the text's size.
size_t TooDeepAt(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaximumNesting) return i;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return text.size();
}

const char* TypeName(const Json& value) {
  switch (value.type()) {
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "a list";
    case Json::value_t::string: return "a text";
    case Json::value_t::boolean: return "true or false";
    case Json::value_t::null: return "null";
    default: return "a number";
  }
}

// Reads the known keys of one object, naming each by its path in errors.
class FieldReader {
 public:
  FieldReader(const std::string& fileName, std::string& error) : fileName_(fileName), error_(error) {}

  bool Fail(const std::string& key, const char* expected, const Json& value) {
    if (error_.empty()) {
      error_ = fileName_ + ": " + key + ": " + expected + " is expected, not " + TypeName(value);
    }
    return false;
  }

  // A text field; null or absent leaves it empty.
  bool Text(const Json& object, const char* key, std::string& out) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return true;
    return TextValue(*found, std::string("\"") + key + "\"", out);
  }
  bool TextValue(const Json& value, const std::string& path, std::string& out) {
    if (!value.is_string()) return Fail(path, "a text", value);
    out = value.get<std::string>();
    return true;
  }

 private:
  const std::string& fileName_;
  std::string& error_;
};

struct TextKey {
  const char* key;
  std::string JobInfo::*field;
};
constexpr TextKey kTextKeys[] = {
    {"product", &JobInfo::product},     {"registration", &JobInfo::registration},
    {"client", &JobInfo::client},       {"address", &JobInfo::address},
    {"aircraft", &JobInfo::aircraft},   {"applicator", &JobInfo::applicator},
    {"licence", &JobInfo::licence},     {"water_volume", &JobInfo::waterVolume},
    {"farm", &JobInfo::farm},           {"field", &JobInfo::field},
    {"operator", &JobInfo::operatorName}, {"machine", &JobInfo::machine},
    {"operation", &JobInfo::operation}, {"crop", &JobInfo::crop},
};
constexpr const char* kListKeys[] = {"active_constituents", "tank_mix", "extra"};

bool ReadFields(const Json& top, JobInfo& info, FieldReader& read) {
  for (const TextKey& k : kTextKeys) {
    if (!read.Text(top, k.key, info.*k.field)) return false;
  }
  if (const auto found = top.find("active_constituents"); found != top.end() && !found->is_null()) {
    if (!found->is_array()) return read.Fail("\"active_constituents\"", "a list of texts", *found);
    for (size_t i = 0; i < found->size(); ++i) {
      info.activeConstituents.emplace_back();
      const std::string path = "\"active_constituents\"[" + std::to_string(i) + "]";
      if (!read.TextValue((*found)[i], path, info.activeConstituents.back())) return false;
    }
  }
  if (const auto found = top.find("tank_mix"); found != top.end() && !found->is_null()) {
    if (!found->is_array()) return read.Fail("\"tank_mix\"", "a list of products and rates", *found);
    for (size_t i = 0; i < found->size(); ++i) {
      const Json& entry = (*found)[i];
      const std::string path = "\"tank_mix\"[" + std::to_string(i) + "]";
      if (!entry.is_object()) return read.Fail(path, "an object of \"product\" and \"rate\"", entry);
      TankMixEntry mix;
      for (auto [key, out] : {std::pair{"product", &mix.product}, std::pair{"rate", &mix.rate}}) {
        const auto value = entry.find(key);
        if (value != entry.end() && !read.TextValue(*value, path + " \"" + key + "\"", *out)) return false;
      }
      info.tankMix.push_back(std::move(mix));
    }
  }
  if (const auto found = top.find("extra"); found != top.end() && !found->is_null()) {
    if (!found->is_object()) return read.Fail("\"extra\"", "an object of texts", *found);
    for (const auto& [key, value] : found->items()) {
      info.extra.emplace_back(key, std::string());
      if (!read.TextValue(value, "\"extra\" \"" + key + "\"", info.extra.back().second)) return false;
    }
  }
  return true;
}

bool IsKnownKey(const std::string& key) {
  for (const TextKey& k : kTextKeys) {
    if (key == k.key) return true;
  }
  for (const char* k : kListKeys) {
    if (key == k) return true;
  }
  return false;
}

}  // namespace

JobInfoReading ReadJobInfoText(std::string_view text, const std::string& fileName) {
  JobInfoReading reading;
  auto refuse = [&](const std::string& why) {
    reading.error = fileName + ": " + why;
    return reading;
  };
  if (text.size() > kJobInfoMaxBytes) return refuse("larger than 1 MB, which no job-info file is");
  if (const size_t bad = kml::Utf8ErrorOffset(text); bad != text.size()) {
    return refuse(Place(text, bad) + ": not UTF-8 text");
  }
  if (const size_t deep = TooDeepAt(text); deep != text.size()) {
    return refuse(Place(text, deep) + ": nested deeper than " + std::to_string(kMaximumNesting) + " levels");
  }
  Json top;
  try {
    top = Json::parse(text);
  } catch (const Json::exception& e) {
    // "[json.exception.parse_error.101] parse error at line 1, ...", or a
    // number too large for a double ("out_of_range.406"): the part after
    // the bracket says where and what.
    std::string what = e.what();
    const size_t bracket = what.find("] ");
    if (bracket != std::string::npos) what.erase(0, bracket + 2);
    return refuse("not JSON: " + what);
  }
  if (!top.is_object()) return refuse(std::string("an object of job fields is expected, not ") + TypeName(top));

  JobInfo info;
  FieldReader read(fileName, reading.error);
  if (!ReadFields(top, info, read)) return reading;
  std::string unknown;
  for (const auto& [key, value] : top.items()) {
    if (IsKnownKey(key)) continue;
    unknown.append(unknown.empty() ? "" : ", ").append("\"").append(key).append("\"");
  }
  if (!unknown.empty()) reading.warnings.push_back(fileName + ": keys not known, left out: " + unknown);
  reading.info = std::move(info);
  return reading;
}

JobInfoReading ReadJobInfoFile(const std::string& path) {
  ByteReader file;
  std::string error;
  if (!file.Open(path, &error)) {
    JobInfoReading reading;
    reading.error = path + ": " + error;
    return reading;
  }
  // One byte more than the limit tells a file that is too large.
  std::string text(kJobInfoMaxBytes + 1, '\0');
  text.resize(file.Read(reinterpret_cast<uint8_t*>(text.data()), text.size()));
  if (file.Failed()) {
    JobInfoReading reading;
    reading.error = path + ": the file could not be read";
    return reading;
  }
  return ReadJobInfoText(text, path);
}

JobRecord MergeJobInfo(ApplicationRecord record, JobInfo info) {
  JobRecord merged;
  const std::pair<const char*, std::pair<std::string*, const std::string*>> shared[] = {
      {"farm", {&record.farm, &info.farm}},
      {"field", {&record.field, &info.field}},
      {"operator", {&record.operatorName, &info.operatorName}},
      {"machine", {&record.machine, &info.machine}},
      {"operation", {&record.operation, &info.operation}},
      {"crop", {&record.crop, &info.crop}},
  };
  for (const auto& [key, values] : shared) {
    std::string& logValue = *values.first;
    const std::string& fileValue = *values.second;
    if (fileValue.empty() || fileValue == logValue) continue;
    if (logValue.empty()) {
      logValue = fileValue;
      merged.filledFromFile.emplace_back(key);
    } else {
      merged.differences.push_back({key, logValue, fileValue});
    }
  }
  merged.record = std::move(record);
  merged.info = std::move(info);
  return merged;
}

}  // namespace zeltlog
