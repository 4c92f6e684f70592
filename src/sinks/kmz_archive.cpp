#include "sinks/kmz_archive.h"

#include <zip.h>

#include <filesystem>
#include <system_error>

namespace zeltlog {
namespace {

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

std::string ReasonOf(zip_t* archive) {
  const char* text = zip_strerror(archive);
  return text && *text ? text : "cannot write the archive";
}

}  // namespace

bool WriteKmzArchive(const std::string& kmlPath, const std::string& kmzPath, std::string* error) {
  std::error_code ec;
  const auto status = std::filesystem::status(kmzPath, ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return Fail(error, std::filesystem::is_directory(status) ? "a folder has that name" : "not a regular file");
  }
  int code = 0;
  // ZIP_TRUNCATE ignores what the target holds; libzip writes the new
  // archive into a temporary file and renames it over the target on close.
  zip_t* archive = zip_open(kmzPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) {
    zip_error_t reason;
    zip_error_init_with_code(&reason, code);
    const std::string text = zip_error_strerror(&reason);
    zip_error_fini(&reason);
    return Fail(error, text);
  }
  zip_source_t* source = zip_source_file(archive, kmlPath.c_str(), 0, -1);
  if (!source) {
    const std::string reason = ReasonOf(archive);
    zip_discard(archive);
    return Fail(error, reason);
  }
  const zip_int64_t index = zip_file_add(archive, "doc.kml", source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    const std::string reason = ReasonOf(archive);
    zip_discard(archive);
    return Fail(error, reason);
  }
  zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9);
  if (zip_close(archive) != 0) {
    const std::string reason = ReasonOf(archive);
    zip_discard(archive);
    return Fail(error, reason);
  }
  return true;
}

}  // namespace zeltlog
