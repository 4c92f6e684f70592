#include "pipeline/log_passes.h"

#include "core/text_format.h"
#include "geometry/track_geometry.h"
#include "records/frame_reader.h"
#include "records/record_table.h"

namespace zeltlog {
namespace {
constexpr unsigned kProgressEveryFrames = 1u << 16;
}  // namespace

FramePassCounts RunFramePass(ByteReader& log, RecordHandler& records, Platform& platform) {
  FramePassCounts counts;
  FrameReader frames(log);
  unsigned sinceProgress = 0;
  const unsigned long long total = log.Size();
  for (;;) {
    const FrameReader::Status status = frames.Next();
    if (status == FrameReader::Status::End) break;
    if (status == FrameReader::Status::Bad) {
      ++counts.checksumErrors;
      records.OnChecksumError(frames.error());
    } else {
      ++counts.goodFrames;
      const uint8_t id = frames.identifier();
      if (id == static_cast<uint8_t>(RecordId::FullPosition) || id == static_cast<uint8_t>(RecordId::CompactPosition)) {
        counts.lastPositionIdentifier = id;
      }
      if (const RecordKind* kind = FindRecordKind(id)) {
        kind->deliver(frames.payload(), records);
      }
    }
    if (++sinceProgress == kProgressEveryFrames) {
      sinceProgress = 0;
      platform.ReportProgress(log.Position(), total);
    }
  }
  platform.ReportProgress(log.Position(), total);
  counts.endedInsideFrame = frames.endedInsideFrame();
  return counts;
}

bool OpenLog(const std::string& path, OpenedLog& log, CommandResult& result) {
  std::string reason;
  if (!log.reader.Open(path, &reason)) {
    result.Unreadable(reason);
    return false;
  }
  log.header = ReadHeaderText(log.reader);
  return true;
}

std::optional<FullPassFacts> RunFullPass(const std::string& path, const PrescanSummarySink& prescan,
                                         double sprayProjection, SinkFanout& sinks, Platform& platform,
                                         CommandResult& result) {
  OpenedLog log;
  if (!OpenLog(path, log, result)) return std::nullopt;
  result.inputRead = true;

  sinks.OnBegin(prescan.figures());
  platform.SetBusy(true);
  if (log.header) sinks.OnHeaderText(*log.header);
  TrackGeometry geometry(sinks, sprayProjection, prescan.lastLeftOffset(), prescan.lastRightOffset());
  sinks.AddAfterSinks(geometry);
  FullPassFacts facts;
  facts.counts = RunFramePass(log.reader, sinks, platform);
  facts.fixes = geometry.fixes();
  const bool readError = log.reader.Failed();
  log.reader.Close();

  sinks.OnEnd({geometry.fixes() > 0, geometry.firstTime(), geometry.lastTime(), geometry.fixes(),
               facts.counts.goodFrames, facts.counts.checksumErrors});
  platform.SetBusy(false);

  const FramePassCounts& c = facts.counts;
  if (c.endedInsideFrame) result.problems.push_back("the log ends inside a frame (truncated)");
  if (readError) {
    result.problems.push_back("read error");
  } else if (c.goodFrames == 0) {
    result.problems.push_back("no valid record found");
  } else if (c.checksumErrors > c.goodFrames) {
    // Random bytes pass the checksum now and then; a log is mostly good frames.
    result.problems.push_back(Format("%d of %d frames have a bad checksum: this does not look like a guidance log",
                                     {c.checksumErrors, c.checksumErrors + c.goodFrames}));
  }
  return facts;
}

}  // namespace zeltlog
