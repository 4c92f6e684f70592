// What a front end offers of the desktop: file choosers, opening a document
// in its viewer, pauses, message boxes, the bell and the window's fields.
// The passes and the sinks never reach it; the front ends open what a
// conversion wrote, and the side converters ask it for their input and
// show their messages through the session. The defaults are no desktop at
// all: no file is chosen and nothing is shown.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeltlog {

struct ConversionSession;

class Desktop {
 public:
  virtual ~Desktop() = default;

  // A file-open chooser: filter as "label|pattern|...||", default extension
  // without the dot. Returns the full path, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(std::string_view filter, std::string_view defaultExtension) {
    (void)filter;
    (void)defaultExtension;
    return std::nullopt;
  }
  // Asks the desktop to open a path with its default application.
  virtual void OpenInViewer(const std::string& path) { (void)path; }
  virtual void Pause(int milliseconds) { (void)milliseconds; }
  virtual void ShowMessage(std::string_view text) { (void)text; }
  virtual void Beep() {}
  // Copies the session's members into the window's fields.
  virtual void RefreshFields(const ConversionSession& session) { (void)session; }
};

// Opens each document in the viewer, a second apart, so that the viewer
// takes them in this order.
inline void OpenInTurn(Desktop& desktop, const std::vector<std::string>& documents) {
  for (size_t i = 0; i < documents.size(); ++i) {
    if (i > 0) desktop.Pause(1000);
    desktop.OpenInViewer(documents[i]);
  }
}

}  // namespace zeltlog
