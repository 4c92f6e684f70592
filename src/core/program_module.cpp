#include "core/program_module.h"

#include <cstdlib>
#include <vector>

#include "core/os.h"

namespace zeltlog {
namespace {

// Where the module may lie: where its variable says, else beside the
// program, in the installed library folder next to it, where the build
// left it, and where it was to be installed.
std::vector<std::string> Candidates(const ProgramModule& module) {
  std::vector<std::string> places;
  if (const char* named = std::getenv(module.environment); named && *named) return {named};
  const std::string folder = os::ExecutableFolder();
  if (!folder.empty()) {
    places.push_back(folder + "/" + module.fileName);
    places.push_back(folder + "/../lib/zeltlog/" + module.fileName);
  }
  if (module.built) places.emplace_back(module.built);
  if (module.installed) places.emplace_back(module.installed);
  return places;
}

}  // namespace

const void* LoadProgramModule(const ProgramModule& module, const char* entry, int version, std::string& problem) {
  if (!os::HasProgramModules()) {
    problem = "this build has no modules";
    return nullptr;
  }
  std::string lastError;
  for (const std::string& place : Candidates(module)) {
    void* handle = os::OpenLibrary(place, &lastError);
    if (!handle) continue;
    using Entry = const void* (*)();
    if (auto function = reinterpret_cast<Entry>(os::FindInLibrary(handle, entry))) {
      const void* functions = function();
      if (functions && *static_cast<const int*>(functions) == version) return functions;
    }
    lastError = place + " is not this program's module";
  }
  problem = lastError;
  return nullptr;
}

}  // namespace zeltlog
