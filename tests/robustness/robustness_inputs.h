// Inputs and checks shared by the robustness tests: large side-converter
// inputs whose outputs cannot fit a small file system or a file size limit,
// and a look for temporary files left behind.
#pragma once

#include <filesystem>
#include <string>

#include "log_builder.h"
#include "xml_check.h"

namespace zeltlog::testkit {

// A controller log whose type-1 blocks add up to about 180 KB.
inline std::string BigControllerLog() {
  Bytes block(60000);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 31 + 7);
  std::string log;
  for (int i = 0; i < 3; ++i) {
    const Bytes bytes = ControllerBlock(1, 2, 1, i, block, block.size());
    log.append(bytes.begin(), bytes.end());
  }
  return log;
}

// A GPS message log of 4000 fixes: a CSV of about 500 KB.
inline std::string BigGpsLog() {
  std::string log;
  for (int i = 0; i < 4000; ++i) {
    Bin1Fix fix;
    fix.time = 100.5 + i * 0.2;
    fix.latitude = -33.5 + i * 0.00001;
    fix.longitude = 151.2 + i * 0.00001;
    const Bytes bytes = Bin1Frame(fix);
    log.append(bytes.begin(), bytes.end());
  }
  return log;
}

// A polygon of 3000 vertices: a job file of about 110 KB.
inline std::string BigPolygonKml() {
  std::string kml = "<Placemark>\n<Polygon>\n<coordinates>\n";
  for (int i = 0; i < 3000; ++i) {
    kml += std::to_string(142.0 + i * 0.0001) + "," + std::to_string(-34.0 - i * 0.0001) + ",0 ";
  }
  kml += "\n</coordinates>\n</Polygon>\n</Placemark>\n";
  return kml;
}

// Named temporaries a safe output may leave while it is written (".~XXXXXXXX.tmp").
inline size_t TemporaryFilesIn(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    count += name.find(".~") != std::string::npos || entry.path().extension() == ".tmp" ? 1 : 0;
  }
  return count;
}

}  // namespace zeltlog::testkit
