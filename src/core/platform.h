// The one interface through which the library reaches its front end: the
// desktop window, the command-line tool or a test's recording fake. Nothing
// else in the library knows which front end runs it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zeltlog {

struct ConversionSession;

// What an event line is, so that a front end can choose what to show. The
// window and the exported event list show every kind, in order.
enum class EventKind {
  Summary,   // version, ranges, rates, end line
  Record,    // a decoded record or a writer's note
  Progress,  // one line per position fix
  Error,     // checksum errors, files that cannot be read or written
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The event list.
  virtual void AddEvent(EventKind kind, std::string_view line) = 0;
  virtual void ClearEvents() = 0;
  // False when lines of this kind go nowhere, so that producing them can be
  // skipped. Whatever is skipped must be exactly what nobody would see.
  virtual bool WantsEvents(EventKind kind) const {
    (void)kind;
    return true;
  }

  // A file-open chooser: filter as "label|pattern|...||", default extension
  // without the dot. Returns the full path, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(std::string_view filter, std::string_view defaultExtension) = 0;
  // Asks the desktop to open a path with its default application.
  virtual void OpenInViewer(const std::string& path) = 0;
  virtual void Pause(int milliseconds) = 0;
  virtual void ShowMessage(std::string_view text) = 0;
  virtual void Beep() = 0;
  virtual void SetBusy(bool busy) = 0;
  // Copies the session's members into the window's fields.
  virtual void RefreshFields(const ConversionSession& session) = 0;
  // Called now and then while a long file is read.
  virtual void ReportProgress(unsigned long long bytesDone, unsigned long long bytesTotal) {
    (void)bytesDone;
    (void)bytesTotal;
  }
};

}  // namespace zeltlog
