// zeltlog-cli rq7: the GPS data blocks of controller logs into baseP.BIN.
#include "cli/commands.h"
#include "cli/output_plan.h"
#include "converters/controller_log.h"

namespace zeltlog::cli {

int RunRq7(const CommonOptions& common, const std::vector<std::string>& inputs) {
  return RunSideConverter(common, inputs, &ExtractControllerBlocksFrom, &Rq7Outputs);
}

}  // namespace zeltlog::cli
