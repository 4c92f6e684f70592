// The files a command is going to write, known before it writes any, so
// that a run that would write over one of its own inputs, or write two
// outputs into one file, is refused while nothing has changed yet.
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

namespace zeltlog::cli {

// The documents of each log, as the output switches leave them.
std::vector<std::string> ConvertOutputs(const ConvertOptions& options);
std::vector<std::string> Bin1Outputs(const std::string& input);
std::vector<std::string> Rq7Outputs(const std::string& input);
// The job file beside the KML (none when the name cannot name a file).
std::vector<std::string> JobOutputs(const KmlToJobCommandOptions& options);

// Compares the inputs with the outputs and the --events file, and those
// with each other. False, after naming both files on standard error, when
// two of them are one file.
bool OutputsAreNewFiles(const std::vector<std::string>& inputs, std::vector<std::string> outputs,
                        const CommonOptions& common);

}  // namespace zeltlog::cli
