// The passes over a guidance log: the header text, a pre-scan that gathers
// the summary figures, and the full pass that hands every record, and the
// track and swath geometry computed from them, to a run's sinks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/command_result.h"
#include "core/progress.h"
#include "records/record_handler.h"
#include "sinks/sink.h"

namespace zeltlog {

// What one pass over the frames found.
struct FramePassCounts {
  int goodFrames = 0;
  int checksumErrors = 0;
  bool endedInsideFrame = false;
  uint8_t lastPositionIdentifier = 0;  // of the last good position record; 0 when none
};

// Reads the frames of an open log from where it stands: each good frame's
// record is decoded once and goes to `records`; each bad frame goes to
// `records` as a checksum error. Progress goes to `progress` now and then
// (none when it is null).
FramePassCounts RunFramePass(ByteReader& log, RecordHandler& records, Progress* progress);

// A log opened for its passes, with its header text read.
struct OpenedLog {
  ByteReader reader;
  std::optional<std::string> header;  // nothing when the file ends before the header's NUL
};
// Opens the log and reads its header. False, with the reason in `result`,
// when it cannot be opened.
bool OpenLog(const std::string& path, OpenedLog& log, CommandResult& result);

// The full pass over `path` into `sinks`, beside the pre-scan: OnStart, the
// header text, every record and the geometry with the given spray
// projection, the pre-scan's figures as soon as it has finished, then
// OnEnd. The event lines that come before the figures wait in `hold`;
// the busy cursor and the read's progress go to `progress`.
// Problems of the log (truncated, unreadable, no good frame, mostly bad
// frames) go into `result`. Nothing comes back when the log cannot be
// opened or the pre-scan refuses it; the pass then ends where it stands,
// its held lines are dropped, and nothing is to be committed. The pass
// makes its stages (pipeline/pass_stages.h) from `sinks`, with its own
// gathering of the figures after them where it needs one.
struct FullPassFacts {
  FramePassCounts counts;
  int fixes = 0;
};
class BackgroundPrescan;
class EventHold;
std::optional<FullPassFacts> RunFullPass(const std::string& path, BackgroundPrescan& prescan, EventHold& hold,
                                         double sprayProjection, const std::vector<Subscription>& sinks,
                                         Progress& progress, CommandResult& result);

}  // namespace zeltlog
