#include "converters/controller_log.h"

#include <algorithm>
#include <array>

#include "converters/crlf_framer.h"
#include "core/output_set.h"
#include "core/output_names.h"
#include "core/text_format.h"

namespace zeltlog {
namespace {

constexpr uint16_t kDataBlockType = 1;

void ListHeader(ConversionSession& s, const CrLfFramer& framer) {
  if (!s.Wants(EventKind::Record)) return;
  std::string line;
  AppendFormat(line, "%d", {framer.byteCount()});
  s.AddEvent(EventKind::Record, line);
  // The header's text ends at its first NUL, as any listed text does.
  const std::string_view text = framer.text();
  s.AddEvent(EventKind::Record, text.substr(0, text.find('\0')));
  line.clear();
  AppendFormat(line, "                      %d, %d, %d, %d - %d",
               {framer.U16(4), framer.U16(6), framer.U16(8), framer.S32(16), framer.U16(10)});
  s.AddEvent(EventKind::Record, line);
}

}  // namespace

CommandResult ExtractControllerBlocks(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kControllerLogFilter, "");
  if (!chosen) return {};
  return ExtractControllerBlocksFrom(s, *chosen);
}

CommandResult ExtractControllerBlocksFrom(ConversionSession& s, const std::string& path) {
  CommandResult result;
  result.chosen = true;
  ByteReader log;
  std::string reason;
  if (!log.Open(path, &reason)) {
    result.Unreadable(reason);
    return result;
  }
  if (log.Size() == 0) {
    // Nothing to extract; an earlier output of this log stays as it is.
    result.Unreadable("the file is empty");
    return result;
  }
  result.inputRead = true;

  // An output that cannot be created receives nothing; the headers are
  // listed all the same.
  OutputSet outputs(s.events);
  OutputFile* output = outputs.Create(OutputBase(path) + "P.BIN", OutputFile::Mode::Binary);

  CrLfFramer framer(false);
  std::array<uint8_t, 4096> chunk;
  int headers = 0;
  bool blockCut = false;
  while (!blockCut && framer.Next(log)) {
    if (!framer.StartsWith("$LOG")) continue;
    ++headers;
    ListHeader(s, framer);
    // The block is taken whole, outside the framing, and is not counted.
    const uint16_t type = framer.U16(10);
    size_t left = framer.U16(8);
    while (left > 0) {
      const size_t want = std::min(left, chunk.size());
      const size_t got = log.Read(chunk.data(), want);
      if (type == kDataBlockType && output) output->WriteBytes(chunk.data(), got);
      left -= got;
      if (got < want) {
        blockCut = true;
        break;
      }
    }
  }
  if (log.Failed()) {
    result.problems.push_back("read error");
  } else if (blockCut) {
    result.problems.push_back("the log ends inside a data block (truncated)");
  } else if (framer.held() != 0) {
    result.problems.push_back("the log ends inside a frame (truncated)");
  } else if (headers == 0) {
    result.problems.push_back("no block header found");
  }
  // A log that could not be read, or holds no block, is no controller log:
  // an earlier output of that name stays as it was. A cut one gives what
  // it holds, as a damaged guidance log does.
  if (log.Failed() || headers == 0) {
    outputs.AbandonAll();
  } else {
    outputs.CommitAll();
  }
  result.outputs = outputs.report();
  return result;
}

}  // namespace zeltlog
