// The framed-record reader of the guidance log.
//
// A log is a NUL-terminated header text followed by frames: sync byte 0xA5,
// total length L, record identifier, a fourth header byte, then L-4 payload
// bytes; a good frame XORs to zero over all its L bytes. Bytes between
// frames are skipped. Each call reads one frame and hands a good one to the
// decoder of its identifier.
#pragma once

#include "core/session.h"

namespace zeltlog {

enum class PassMode {
  Header,   // read the header text and list it
  Prescan,  // decode the few records that set the map extent and rate ranges
  Full,     // report bad frames, count and dispatch good ones
};

// True: call again. False: the pass has ended (end of the file, or the
// header pass finished). The caller sets byte 0 of the record buffer to 1
// before the header pass and to 0 before the frame passes.
bool ReadRecord(ConversionSession& session, PassMode mode);

// Hands the payload in the record buffer to the decoder of `identifier`
// (full pass), or decodes and folds it into the ranges (pre-scan).
void DispatchRecord(ConversionSession& session, uint8_t identifier, PassMode mode);

}  // namespace zeltlog
