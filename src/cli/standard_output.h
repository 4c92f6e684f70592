// Standard output of the tool. A reader that goes away (`| head`), a full
// disk or a closed stream must not stop a conversion: printing stops at the
// first failed write, the documents are still finished, and the failure is
// reported at the end with exit status 1.
#pragma once

#include <string_view>

namespace zeltlog::cli {

// Prepares the process: a broken pipe becomes a failed write instead of a
// signal that kills it, and a standard stream that was closed is held by a
// descriptor that cannot be written, so that no output file takes its
// number and every print to it fails.
void PrepareStandardStreams();

// Writes to standard output unless an earlier write failed.
void WriteStandardOutput(std::string_view bytes);

// Passes on what is buffered, before a line goes to standard error.
void FlushStandardOutput();

// Flushes standard output. True when everything printed reached it;
// otherwise reports the failure on standard error.
bool FinishStandardOutput();

}  // namespace zeltlog::cli
