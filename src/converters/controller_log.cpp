#include "converters/controller_log.h"

#include <algorithm>
#include <array>

#include "converters/crlf_framer.h"
#include "core/output_file.h"
#include "core/output_names.h"
#include "core/text_format.h"

namespace zeltlog {
namespace {

constexpr uint16_t kDataBlockType = 1;

void ListHeader(ConversionSession& s, const CrLfFramer& framer) {
  if (!s.Wants(EventKind::Record)) return;
  s.scratch.clear();
  AppendFormat(s.scratch, "%d", {framer.byteCount()});
  s.AddEvent(EventKind::Record, s.scratch);
  // The header's text ends at its first NUL, as any listed text does.
  const std::string_view text = framer.text();
  s.AddEvent(EventKind::Record, text.substr(0, text.find('\0')));
  s.scratch.clear();
  AppendFormat(s.scratch, "                      %d, %d, %d, %d - %d",
               {framer.U16(4), framer.U16(6), framer.U16(8), framer.S32(16), framer.U16(10)});
  s.AddEvent(EventKind::Record, s.scratch);
}

}  // namespace

SideResult ExtractControllerBlocks(ConversionSession& s) {
  const auto chosen = ChooseFileAndRememberFolder(s, kControllerLogFilter, "");
  if (!chosen) return {};
  return ExtractControllerBlocksFrom(s, *chosen);
}

SideResult ExtractControllerBlocksFrom(ConversionSession& s, const std::string& path) {
  SideResult result;
  result.chosen = true;
  std::string reason;
  if (!s.logFile.Open(path, &reason)) {
    result.inputError = reason;
    return result;
  }
  if (s.logFile.Size() == 0) {
    // Nothing to extract; an earlier output of this log stays as it is.
    s.logFile.Close();
    result.inputError = "the file is empty";
    return result;
  }
  result.inputRead = true;

  // An output that cannot be created receives nothing; the headers are
  // listed all the same.
  const std::string outputPath = OutputBase(path) + "P.BIN";
  OutputFile output;
  if (!output.Create(outputPath, OutputFile::Mode::Binary, &reason)) {
    s.AddEvent(EventKind::Error, "Cannot create " + outputPath);
    result.failed.push_back({outputPath, reason});
  }

  CrLfFramer framer(false);
  std::array<uint8_t, 4096> chunk;
  int headers = 0;
  bool blockCut = false;
  while (!blockCut && framer.Next(s.logFile)) {
    if (!framer.StartsWith("$LOG")) continue;
    ++headers;
    ListHeader(s, framer);
    // The block is taken whole, outside the framing, and is not counted.
    const uint16_t type = framer.U16(10);
    size_t left = framer.U16(8);
    while (left > 0) {
      const size_t want = std::min(left, chunk.size());
      const size_t got = s.logFile.Read(chunk.data(), want);
      if (type == kDataBlockType) output.WriteBytes(chunk.data(), got);
      left -= got;
      if (got < want) {
        blockCut = true;
        break;
      }
    }
  }
  if (blockCut) {
    result.inputError = "the log ends inside a data block (truncated)";
  } else if (framer.held() != 0) {
    result.inputError = "the log ends inside a frame (truncated)";
  } else if (headers == 0) {
    result.inputError = "no block header found";
  }
  if (s.logFile.Failed()) result.inputError = "read error";
  s.logFile.Close();

  if (output.IsOpen()) {
    if (output.Close(&reason)) {
      result.written.push_back(outputPath);
    } else {
      s.AddEvent(EventKind::Error, "Cannot write " + outputPath);
      result.failed.push_back({outputPath, reason});
    }
  }
  return result;
}

}  // namespace zeltlog
