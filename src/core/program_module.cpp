#include "core/program_module.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/os.h"

// Where the build leaves its modules and where they are installed; set
// for this file by src/CMakeLists.txt (but on Windows, which has none).
#ifndef ZELTLOG_BUILD_TREE
#define ZELTLOG_BUILD_TREE ""
#define ZELTLOG_BUILT_MODULES ""
#define ZELTLOG_INSTALLED_MODULES ""
#define ZELTLOG_INSTALLED_MODULES_FROM_PROGRAM ""
#endif

namespace zeltlog {
namespace {

std::string RealPath(const std::string& path) {
  std::error_code error;
  if (path.empty()) return {};
  const std::filesystem::path real = std::filesystem::canonical(path, error);
  return error ? std::string() : real.string();
}

// Whether the build tree the program was built in is where it runs from:
// only then are the modules the build left there its own. An installed
// program, or one copied elsewhere, never looks there: the build tree may
// lie in a folder anyone can write to.
bool RunsFromBuildTree(const std::string& programFolder) {
  const std::string tree = RealPath(ZELTLOG_BUILD_TREE);
  const std::string folder = programFolder + "/";
  return !tree.empty() && !programFolder.empty() && folder.compare(0, tree.size() + 1, tree + "/") == 0;
}

// Where the module may lie: where its variable says, else beside the
// program, in the module folder installed beside it, where the build left
// it (for a program that runs from its build tree) and where it was to be
// installed.
std::vector<std::string> Candidates(const ProgramModule& module) {
  if (const char* named = std::getenv(module.environment); named && *named) return {named};
  std::vector<std::string> places;
  const std::string folder = RealPath(os::ExecutableFolder());
  if (!folder.empty()) {
    places.push_back(folder + "/" + module.fileName);
    places.push_back(folder + "/" + ZELTLOG_INSTALLED_MODULES_FROM_PROGRAM + "/" + module.fileName);
  }
  if (RunsFromBuildTree(folder)) places.push_back(std::string(ZELTLOG_BUILT_MODULES) + "/" + module.fileName);
  places.push_back(std::string(ZELTLOG_INSTALLED_MODULES) + "/" + module.fileName);
  return places;
}

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace

const void* LoadProgramModule(const ProgramModule& module, const char* entry, int version, std::string& problem) {
  if (!os::HasProgramModules()) {
    problem = "this build has no modules";
    return nullptr;
  }
  // Why a module that is there failed outweighs that a later place has
  // none.
  std::string firstFailure, lastError;
  for (const std::string& place : Candidates(module)) {
    lastError.clear();
    void* handle = os::OpenLibrary(place, &lastError);
    if (!handle) {
      if (lastError.empty()) lastError = place + " could not be loaded";
      if (firstFailure.empty() && Exists(place)) firstFailure = lastError;
      continue;
    }
    using Entry = const void* (*)();
    if (auto function = reinterpret_cast<Entry>(os::FindInLibrary(handle, entry))) {
      const void* functions = function();
      if (functions && *static_cast<const int*>(functions) == version) return functions;
    }
    lastError = place + " is not this program's module";
    if (firstFailure.empty()) firstFailure = lastError;
  }
  problem = firstFailure.empty() ? lastError : firstFailure;
  return nullptr;
}

}  // namespace zeltlog
