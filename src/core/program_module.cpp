#include "core/program_module.h"

#include <cstdlib>
#include <vector>

#ifndef _WIN32
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace zeltlog {
namespace {

#ifndef _WIN32
std::string ExecutableFolder() {
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return {};
  std::string executable(path.data(), static_cast<size_t>(length));
  const size_t slash = executable.find_last_of('/');
  return slash == std::string::npos ? std::string() : executable.substr(0, slash);
}

// Where the module may lie: where its variable says, else beside the
// program, in the installed library folder next to it, where the build
// left it, and where it was to be installed.
std::vector<std::string> Candidates(const ProgramModule& module) {
  std::vector<std::string> places;
  if (const char* named = std::getenv(module.environment); named && *named) return {named};
  const std::string folder = ExecutableFolder();
  if (!folder.empty()) {
    places.push_back(folder + "/" + module.fileName);
    places.push_back(folder + "/../lib/zeltlog/" + module.fileName);
  }
  if (module.built) places.emplace_back(module.built);
  if (module.installed) places.emplace_back(module.installed);
  return places;
}
#endif

}  // namespace

const void* LoadProgramModule(const ProgramModule& module, const char* entry, int version, std::string& problem) {
#ifndef _WIN32
  std::string lastError;
  for (const std::string& place : Candidates(module)) {
    void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      if (const char* error = dlerror()) lastError = error;
      continue;
    }
    using Entry = const void* (*)();
    if (auto function = reinterpret_cast<Entry>(dlsym(handle, entry))) {
      const void* functions = function();
      if (functions && *static_cast<const int*>(functions) == version) return functions;
    }
    lastError = place + " is not this program's module";
  }
  problem = lastError;
#else
  (void)module;
  (void)entry;
  (void)version;
  problem = "this build has no modules";
#endif
  return nullptr;
}

}  // namespace zeltlog
