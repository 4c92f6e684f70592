// The command-line front end: event lines go to standard output or standard
// error by kind (all of them with -v), and to the exported event list when
// one is asked for; progress is a line on standard error; of the desktop
// there is only the viewer (--open), and no choosers or message boxes.
#pragma once

#include <cstdio>
#include <string>

#include "cli/event_lines.h"
#include "cli/progress_display.h"
#include "core/desktop.h"
#include "core/event_log.h"
#include "core/progress.h"

namespace zeltlog::cli {

struct OutputOptions {
  bool verbose = false;        // every event line on standard output
  bool openInViewer = false;   // ask the desktop to open the documents written
  bool showProgress = false;   // a progress indicator on standard error
  bool stdoutTaken = false;    // standard output carries something else (--json, --events -)
};

class Spool;

class CliPlatform : public EventLog, public Progress, public Desktop {
 public:
  // Lines for standard output and standard error collect in `out` and `err`;
  // when `direct` is set they are passed on to the real streams as they
  // grow, otherwise the caller prints them (for logs converted in parallel,
  // whose reports must not interleave).
  CliPlatform(const OutputOptions& options, EventLines* events, bool direct);
  ~CliPlatform() override;

  void AddEvent(EventKind kind, std::string_view line) override;
  // Each log's list starts afresh; the CLI keeps printing in order.
  void ClearEvents() override { errorLines_ = 0; }
  bool WantsEvents(EventKind kind) const override;
  void OpenInViewer(const std::string& path) override;
  void Pause(int milliseconds) override;
  void ShowMessage(std::string_view text) override;
  void ReportProgress(unsigned long long done, unsigned long long total) override;

  // Adds a line of the tool's own (not an event line); dropped when
  // standard output is taken.
  void Print(std::string_view line);
  // Adds a line to standard output in any case (the JSON report).
  void PrintReport(std::string_view line);
  void PrintError(std::string_view line);
  void Flush();
  std::string& out() { return out_; }
  std::string& err() { return err_; }
  void SetProgressLabel(std::string label) { progress_.Start(std::move(label)); }
  // For a log converted in parallel: its event lines go to `events` (one
  // line and "\n" each), and its standard output, once it grows, to
  // `report`, instead of being held in memory until its turn.
  void SpoolTo(Spool* events, Spool* report) {
    eventsPart_ = events;
    report_ = report;
  }

 private:
  void MaybeFlush();

  OutputOptions options_;
  EventLines* events_;
  Spool* eventsPart_ = nullptr;
  Spool* report_ = nullptr;
  bool direct_;
  std::string out_;
  std::string err_;
  ProgressDisplay progress_;
  static constexpr int kErrorLinesShown = 20;
  int errorLines_ = 0;
};

// Asks the desktop to open a file with its default application.
void OpenWithDesktop(const std::string& path);

}  // namespace zeltlog::cli
