#include "core/program_module.h"

#include <cstdlib>
#include <vector>

#ifndef _WIN32
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// Where the build leaves its modules and where they are installed; set
// for this file by src/CMakeLists.txt.
#ifndef ZELTLOG_BUILD_TREE
#define ZELTLOG_BUILD_TREE ""
#define ZELTLOG_BUILT_MODULES ""
#define ZELTLOG_INSTALLED_MODULES ""
#define ZELTLOG_INSTALLED_MODULES_FROM_PROGRAM ""
#endif

namespace zeltlog {
namespace {

#ifndef _WIN32
std::string RealPath(const char* path) {
  char* real = realpath(path, nullptr);
  if (!real) return {};
  std::string result(real);
  std::free(real);
  return result;
}

// Whether the build tree the program was built in is where it runs from:
// only then are the modules the build left there its own. An installed
// program, or one copied elsewhere, never looks there: the build tree may
// lie in a folder anyone can write to.
bool RunsFromBuildTree(const std::string& program) {
  const std::string tree = RealPath(ZELTLOG_BUILD_TREE);
  return !tree.empty() && !program.empty() && program.compare(0, tree.size() + 1, tree + "/") == 0;
}

// Where the module may lie: where its variable says, else beside the
// program, in the module folder installed beside it, where the build left
// it (for a program that runs from its build tree) and where it was to be
// installed.
std::vector<std::string> Candidates(const ProgramModule& module) {
  if (const char* named = std::getenv(module.environment); named && *named) return {named};
  std::vector<std::string> places;
  const std::string program = RealPath("/proc/self/exe");
  const size_t slash = program.find_last_of('/');
  if (slash != std::string::npos) {
    const std::string folder = program.substr(0, slash + 1);
    places.push_back(folder + module.fileName);
    places.push_back(folder + ZELTLOG_INSTALLED_MODULES_FROM_PROGRAM + "/" + module.fileName);
  }
  if (RunsFromBuildTree(program)) places.push_back(std::string(ZELTLOG_BUILT_MODULES) + "/" + module.fileName);
  places.push_back(std::string(ZELTLOG_INSTALLED_MODULES) + "/" + module.fileName);
  return places;
}

bool Exists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}
#endif

}  // namespace

const void* LoadProgramModule(const ProgramModule& module, const char* entry, int version, std::string& problem) {
#ifndef _WIN32
  // Why a module that is there failed outweighs that a later place has
  // none.
  std::string firstFailure, lastError;
  for (const std::string& place : Candidates(module)) {
    void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* error = dlerror();
      lastError = error ? error : place + " could not be loaded";
      if (firstFailure.empty() && Exists(place)) firstFailure = lastError;
      continue;
    }
    using Entry = const void* (*)();
    if (auto function = reinterpret_cast<Entry>(dlsym(handle, entry))) {
      const void* functions = function();
      if (functions && *static_cast<const int*>(functions) == version) return functions;
    }
    lastError = place + " is not this program's module";
    if (firstFailure.empty()) firstFailure = lastError;
  }
  problem = firstFailure.empty() ? lastError : firstFailure;
#else
  (void)module;
  (void)entry;
  (void)version;
  problem = "this build has no modules";
#endif
  return nullptr;
}

}  // namespace zeltlog
