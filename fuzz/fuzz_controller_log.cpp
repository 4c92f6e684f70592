// The controller log through the "Process out from RQ7" command, output in
// a scratch folder. Beyond the absence of a crash it checks that the
// output holds exactly the bytes of the type-1 data blocks that an
// independent re-framing finds after "$LOG" headers (as many as the file
// still has when a block is cut off), and that every header is listed with
// three entries, none of which holds a NUL byte.
#include <string>

#include "converters/controller_log.h"
#include "crlf_reframer.h"
#include "fuzz_support.h"
#include "recording_platform.h"
#include "xml_check.h"

namespace {

using zeltlog::fuzz::Check;

struct Expected {
  std::string blocks;
  size_t headers = 0;
};

Expected Extract(const uint8_t* data, size_t size) {
  zeltlog::fuzz::CrLfReframer frames(data, size, false);
  Expected expected;
  while (frames.Next()) {
    if (!frames.StartsWith("$LOG")) continue;
    ++expected.headers;
    const size_t stated = frames.U16(8);
    const unsigned type = frames.U16(10);
    // The block follows the header's CR LF, outside the framing.
    const std::string_view block = frames.Take(stated);
    if (type == 1) expected.blocks.append(block);
    if (block.size() < stated) break;
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string log = zeltlog::fuzz::FreshInput("RQ7.BIN", data, size);

  zeltlog::testkit::RecordingPlatform platform;
  zeltlog::ConversionSession session(platform, platform, platform);
  const zeltlog::CommandResult result = zeltlog::ExtractControllerBlocksFrom(session, log);
  if (size == 0) {
    Check(!result.inputRead && result.outputs.written.empty(), "an empty log wrote an output");
    return 0;
  }
  Check(result.inputRead, "the log was not read: " + result.LastProblem());
  const Expected expected = Extract(data, size);
  // A log without a whole block header is no controller log: nothing is
  // written, and nothing of a data block is lost by that.
  if (result.outputs.written.empty() && result.outputs.failed.empty()) {
    Check(!result.problems.empty(), "no output and no problem listed");
    Check(expected.blocks.empty(), "a log with data blocks wrote no output");
    return 0;
  }
  Check(result.outputs.failed.empty() && result.outputs.written.size() == 1, "the output was not written");

  const std::string output = zeltlog::testkit::ReadFile(zeltlog::fuzz::ScratchPath("RQ7P.BIN"));
  Check(output == expected.blocks, "output of " + std::to_string(output.size()) +
                                       " bytes, not the type-1 blocks' " + std::to_string(expected.blocks.size()));
  Check(platform.Lines().size() == 3 * expected.headers, "not three entries per block header");
  for (const auto& line : platform.Lines()) Check(line.find('\0') == std::string::npos, "an entry holds a NUL byte");
  return 0;
}
