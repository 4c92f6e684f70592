// The job-info file of the application record (--job-info), read from its
// text. Beyond the absence of a crash, a hang or an allocation that grows
// with the nesting, it checks that
//   - a file is either read or refused, and a refusal names the file;
//   - a file read is a JSON object as nlohmann's own reader accepts it, and
//     every text it gives is UTF-8;
//   - a refusal of text nlohmann accepts as an object blames a key, the
//     nesting, the size or the encoding, never the syntax;
//   - the file merged into an empty record fills at most the log's six
//     fields and finds no difference.
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "job_record/job_info.h"
#include "kml/xml_text.h"

namespace {

using zeltlog::fuzz::Check;

bool IsUtf8(std::string_view text) { return zeltlog::kml::Utf8ErrorOffset(text) == text.size(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string name = "job.json";
  const zeltlog::JobInfoReading reading = zeltlog::ReadJobInfoText(text, name);
  Check(reading.info.has_value() == reading.error.empty(), "read and refused at once, or neither");
  const bool utf8 = IsUtf8(text);
  const bool object = utf8 && nlohmann::json::parse(text, nullptr, false).is_object();
  if (!reading.info) {
    Check(reading.error.rfind(name + ": ", 0) == 0, "a refusal that does not name the file: " + reading.error);
    Check(!object || reading.error.find("not JSON") == std::string::npos, "an object refused as not JSON");
    return 0;
  }
  Check(utf8 && nlohmann::json::accept(text), "a file read that nlohmann does not accept");
  const zeltlog::JobInfo& info = *reading.info;
  for (const std::string* value : {&info.product, &info.registration, &info.client, &info.address, &info.aircraft,
                                   &info.applicator, &info.licence, &info.waterVolume, &info.farm, &info.crop}) {
    Check(IsUtf8(*value), "a text that is not UTF-8");
  }
  for (const auto& [key, value] : info.extra) Check(IsUtf8(key) && IsUtf8(value), "an extra field not UTF-8");
  for (const std::string& warning : reading.warnings) Check(warning.rfind(name + ": ", 0) == 0, "a warning without the file");
  const zeltlog::JobRecord merged = zeltlog::MergeJobInfo({}, info);
  Check(merged.differences.empty() && merged.filledFromFile.size() <= 6, "an empty record differs from the file");
  return 0;
}
