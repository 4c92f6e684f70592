// The parts of the program that bring large libraries of their own (GDAL
// for GIS files; GEOS and libzip for the coverage report and KMZ archives)
// are shared modules beside it, loaded the first time a command needs
// them: every other run starts without those libraries, which would take
// longer to load than a small log takes to convert. The build makes each
// module with zeltlog_module() (src/CMakeLists.txt).
#pragma once

#include <mutex>
#include <string>
#include <utility>

namespace zeltlog {

struct ProgramModule {
  const char* fileName;     // "libzeltlog-gis.so"
  const char* title;        // how a message names it: "the GDAL module"
  const char* environment;  // a variable that, when set, names the one path to load it from
};

// Loads the module and returns the table of functions its C function
// `entry` returns. A table begins with its version (an int); one of
// another version is another build's. The module is looked for at the
// path its variable names, else beside the program, in the program's
// installed module folder, and, only for a program that runs from its
// build tree, where the build left it. Null, with which file failed and
// why in `problem`, when no module of that name with that entry and
// version could be loaded. A module loaded stays loaded.
const void* LoadProgramModule(const ProgramModule& module, const char* entry, int version, std::string& problem);

// The functions a module offers, as the table `Functions` (which begins
// with `int version` and names its C entry kEntry and its kVersion),
// loaded the first time they are asked for. A build without the module
// may link the table instead, or leave the module out with a reason.
template <typename Functions>
class ModuleFunctions {
 public:
  // Loaded from `module`; `needs` says what needs it ("KMZ archives need").
  ModuleFunctions(const ProgramModule& module, const char* needs) : module_(&module), needs_(needs) {}
  // Linked into the program.
  static ModuleFunctions Linked(const Functions& table) { return ModuleFunctions(&table, nullptr); }
  // Left out of this build, for `reason`.
  static ModuleFunctions LeftOut(const char* reason) { return ModuleFunctions(nullptr, reason); }

  // The table, or null when there is none; problem() then says why: which
  // module, which file and what went wrong.
  const Functions* get() const {
    Load();
    return functions_;
  }
  const std::string& problem() const {
    Load();
    return problem_;
  }

  // `(table->*function)(arguments...)`, or `failed(problem())` without a
  // table.
  template <typename Function, typename Failed, typename... Arguments>
  auto Call(Function function, Failed failed, Arguments&&... arguments) const {
    if (const Functions* table = get()) return (table->*function)(std::forward<Arguments>(arguments)...);
    return failed(problem());
  }

 private:
  ModuleFunctions(const Functions* table, const char* reason)
      : functions_(table), problem_(reason ? reason : ""), needs_(nullptr) {}

  void Load() const {
    std::call_once(once_, [this] {
      if (!module_) return;
      std::string reason;
      functions_ = static_cast<const Functions*>(
          LoadProgramModule(*module_, Functions::kEntry, Functions::kVersion, reason));
      if (!functions_) {
        problem_ = std::string(needs_) + " " + module_->title + " " + module_->fileName +
                   ", which could not be loaded" + (reason.empty() ? std::string() : " (" + reason + ")");
      }
    });
  }

  const ProgramModule* module_ = nullptr;
  mutable const Functions* functions_ = nullptr;
  mutable std::string problem_;
  const char* needs_;
  mutable std::once_flag once_;
};

}  // namespace zeltlog
