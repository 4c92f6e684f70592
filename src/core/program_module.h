// The parts of the program that bring large libraries of their own (GDAL
// for GIS files; GEOS and libzip for the coverage report and KMZ archives)
// are shared modules beside it, loaded the first time a command needs
// them: every other run starts without those libraries, which would take
// longer to load than a small log takes to convert.
#pragma once

#include <string>

namespace zeltlog {

struct ProgramModule {
  const char* fileName;     // "libzeltlog-gis.so"
  const char* environment;  // a variable that, when set, names the one path to load it from
  const char* built;        // where the build left it, or null
  const char* installed;    // where it was to be installed, or null
};

// Loads the module, from the path its variable names or else beside the
// program and where the build and the installation put it, and returns
// the table of functions its C function `entry` returns. A table begins
// with its version (an int); one of another version is another build's.
// Null, with the reason in `problem`, when no module of that name with
// that entry and version could be loaded. A module loaded stays loaded;
// callers keep what they got.
const void* LoadProgramModule(const ProgramModule& module, const char* entry, int version, std::string& problem);

}  // namespace zeltlog
