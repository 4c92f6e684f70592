// The module's entry: built into libzeltlog-gis.so only.
#include "gis/gis_module.h"

namespace zeltlog {

extern "C" __attribute__((visibility("default"))) const void* zeltlog_gis_module_functions() {
  static const GisModuleFunctions functions = {GisModuleFunctions::kVersion, ReadPolygonFile,    ExportCoverageLayers, ArchiveAddJob,
                                                   ArchiveQuery,                 ArchiveMapSelection, ArchiveRemove,
                                                   ArchiveExport, ArchiveGroundWkb, ArchiveKeepConnection};
  return &functions;
}

}  // namespace zeltlog
