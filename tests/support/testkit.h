// What most tests take: a folder of their own, the builders of inputs, the
// text helpers, the XML check, the recording front end and the CLI runner,
// with the helpers' names that clash with none of the program's.
#pragma once

#include "cli_runner.h"
#include "recording_platform.h"
#include "temp_dir.h"
#include "test_text.h"
#include "xml_check.h"

namespace zeltlog {
using testkit::Bytes;
using testkit::CrLf;
using testkit::JobLog;
using testkit::Join;
using testkit::Printf;
using testkit::ReadFile;
using testkit::RunCli;
using testkit::RunShell;
using testkit::ShellQuote;
using testkit::Snapshot;
using testkit::SplitLines;
using testkit::Str;
using testkit::WriteFile;

namespace testkit {
// A folder of the test's own, a recording front end and a session on it.
struct Workspace {
  TempDir dir;
  RecordingPlatform platform;
  ConversionSession session{platform, platform, platform};
};
}  // namespace testkit
}  // namespace zeltlog
