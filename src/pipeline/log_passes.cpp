#include "pipeline/log_passes.h"

#include <utility>

#include "core/text_format.h"
#include "pipeline/background_prescan.h"
#include "pipeline/event_hold.h"
#include "pipeline/pass_stages.h"
#include "records/frame_reader.h"
#include "records/record_table.h"

namespace zeltlog {
namespace {
constexpr unsigned kProgressEveryFrames = 1u << 16;

// The frames of a log from where it stands; `beforeFrame` is asked before
// each, and false from it ends the pass.
template <typename BeforeFrame>
FramePassCounts FramePass(ByteReader& log, RecordHandler& records, Progress* progress, BeforeFrame&& beforeFrame) {
  FramePassCounts counts;
  FrameReader frames(log);
  unsigned sinceProgress = 0;
  const unsigned long long total = log.Size();
  for (;;) {
    if (!beforeFrame()) break;
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
      if (progress) progress->ReportProgress(log.Position(), total);
    }
  }
  if (progress) progress->ReportProgress(log.Position(), total);
  counts.endedInsideFrame = frames.endedInsideFrame();
  return counts;
}

}  // namespace

FramePassCounts RunFramePass(ByteReader& log, RecordHandler& records, Progress* progress) {
  return FramePass(log, records, progress, [] { return true; });
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

std::optional<FullPassFacts> RunFullPass(const std::string& path, BackgroundPrescan& prescan, EventHold& hold,
                                         double sprayProjection, const std::vector<Subscription>& sinks,
                                         Progress& progress, CommandResult& result) {
  OpenedLog log;
  if (!OpenLog(path, log, result)) return std::nullopt;

  progress.SetBusy(true);
  // A listing of every record cannot wait for the figures until the end:
  // the pre-scan starts at once. Otherwise this pass gathers them itself,
  // from the records after the run's sinks have had them.
  PrescanSummarySink ownFigures;
  std::vector<Subscription> subscriptions = sinks;
  if (hold.WantsEvents(EventKind::Record)) {
    prescan.Start();
  } else {
    subscriptions.push_back({&ownFigures, Feeds::Records});
  }
  // The edges in force before the first swath record are the log's last
  // ones, which only the pre-scan knows.
  PassStages stages(subscriptions, sprayProjection, [&prescan] {
    const PrescanSummarySink& summary = prescan.Wait().summary;
    return TrackGeometry::Edges{summary.lastLeftOffset(), summary.lastRightOffset()};
  });
  stages.OnStart();
  if (log.header) stages.OnHeaderText(*log.header);

  // The figures go to the sinks between two frames, as soon as the
  // pre-scan has finished or the held lines have grown too many to wait,
  // and at the latest after the last frame.
  bool begun = false, refused = false;
  auto begin = [&] {
    const PrescanOutcome& outcome = prescan.Wait();
    if (auto reason = PrescanRefusal(outcome)) {
      hold.Drop();
      result.Unreadable(std::move(*reason));
      refused = true;
      return false;
    }
    hold.Release([&] { stages.OnFigures(outcome.summary.figures()); });
    begun = true;
    return true;
  };
  FullPassFacts facts;
  facts.counts = FramePass(log.reader, stages, &progress, [&] {
    if (begun || (!prescan.Finished() && !hold.Full())) return true;
    return begin();
  });
  if (!begun && !refused) {
    prescan.Adopt({ownFigures, facts.counts, log.reader.Failed()});
    begin();
  }
  if (refused) {
    progress.SetBusy(false);
    return std::nullopt;
  }
  result.inputRead = true;
  const TrackGeometry& geometry = stages.geometry();
  facts.fixes = geometry.fixes();
  const bool readError = log.reader.Failed();
  log.reader.Close();

  stages.OnEnd({geometry.fixes() > 0, geometry.firstTime(), geometry.lastTime(), geometry.fixes(),
               facts.counts.goodFrames, facts.counts.checksumErrors});
  progress.SetBusy(false);

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
