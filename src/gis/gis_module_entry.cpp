// The module's entry: built into libzeltlog-gis.so only.
#include "gis/gis_module.h"

extern "C" __attribute__((visibility("default"))) const void* zeltlog_gis_module_functions() {
  static const zeltlog::GisModuleFunctions functions = {zeltlog::kGisModuleVersion, zeltlog::ReadPolygonFile,
                                                        zeltlog::ExportCoverageLayers};
  return &functions;
}
