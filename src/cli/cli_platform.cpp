#include "cli/cli_platform.h"

#include <chrono>
#include <thread>

#include "cli/spool.h"
#include "cli/standard_output.h"
#include "core/os.h"

namespace zeltlog::cli {

CliPlatform::CliPlatform(const OutputOptions& options, EventLines* events, bool direct)
    : options_(options), events_(events), direct_(direct) {}

CliPlatform::~CliPlatform() {
  if (direct_) Flush();
}

bool CliPlatform::WantsEvents(EventKind kind) const {
  return options_.verbose || events_ != nullptr || eventsPart_ != nullptr || kind == EventKind::Summary || kind == EventKind::Error;
}

void CliPlatform::AddEvent(EventKind kind, std::string_view line) {
  if (events_) events_->Add(line);
  if (eventsPart_) {
    eventsPart_->Append(line);
    eventsPart_->Append("\n");
  }
  if (options_.verbose || (kind == EventKind::Summary && !options_.stdoutTaken)) {
    out_.append(line);
    out_.push_back('\n');
  } else if (kind == EventKind::Error) {
    // A file of noise has a checksum error every few bytes; the terminal
    // gets the first few, the event list all of them.
    if (++errorLines_ <= kErrorLinesShown) {
      err_.append(line);
      err_.push_back('\n');
    } else if (errorLines_ == kErrorLinesShown + 1) {
      err_.append("   ... further errors only in the event list (-v or --events)\n");
    }
  }
  MaybeFlush();
}

void CliPlatform::Print(std::string_view line) {
  if (!options_.stdoutTaken) PrintReport(line);
}

void CliPlatform::PrintReport(std::string_view line) {
  out_.append(line);
  out_.push_back('\n');
  MaybeFlush();
}

void CliPlatform::PrintError(std::string_view line) {
  err_.append(line);
  err_.push_back('\n');
  MaybeFlush();
}

void CliPlatform::ShowMessage(std::string_view text) { Print(text); }

void CliPlatform::MaybeFlush() {
  if (direct_ && (out_.size() > (1u << 16) || !err_.empty())) Flush();
  if (!direct_ && report_ && out_.size() > (1u << 16)) {
    report_->Append(out_);
    out_.clear();
  }
}

void CliPlatform::Flush() {
  const std::string erase = progress_.Erase();
  if (!erase.empty()) std::fwrite(erase.data(), 1, erase.size(), stderr);
  if (!out_.empty()) {
    WriteStandardOutput(out_);
    out_.clear();
  }
  if (!err_.empty()) {
    FlushStandardOutput();
    std::fwrite(err_.data(), 1, err_.size(), stderr);
    err_.clear();
  }
}

void CliPlatform::OpenInViewer(const std::string& path) {
  if (options_.openInViewer) OpenWithDesktop(path);
}

void CliPlatform::Pause(int milliseconds) {
  if (options_.openInViewer) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void CliPlatform::ReportProgress(unsigned long long done, unsigned long long total) {
  if (!options_.showProgress) return;
  const std::string text = progress_.Update(done, total);
  if (text.empty()) return;
  std::fflush(stdout);  // lines already printed go above the progress line
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void OpenWithDesktop(const std::string& path) { os::OpenWithDesktop(path); }

}  // namespace zeltlog::cli
