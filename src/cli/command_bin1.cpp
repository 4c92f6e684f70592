// zeltlog-cli bin1: GPS binary message logs to a CSV table and three KML
// walls beside each log.
#include "cli/commands.h"
#include "cli/output_plan.h"
#include "converters/bin1_converter.h"

namespace zeltlog::cli {

int RunBin1(const CommonOptions& common, const std::vector<std::string>& inputs) {
  return RunSideConverter(common, inputs, &ConvertBin1On, &Bin1Outputs);
}

}  // namespace zeltlog::cli
