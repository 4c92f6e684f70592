// The desktop window as the library's event list, progress display and
// desktop: event lines go to the window's event store (shown by its virtual list), choosers are the
// desktop's file-open dialogs, "open" is the desktop's default application
// for the file, messages are modal message boxes, the beep is the system
// bell, and long reads move a gauge.
//
// Every request to the desktop can be taken over by a hook, so that the
// tests drive the real window with chosen files injected and nothing
// modal left open.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/event_store.h"
#include "core/desktop.h"
#include "core/event_log.h"
#include "core/progress.h"
#include "ui/wx_headers.h"

namespace zeltlog::ui {

// What WxPlatform needs from the window that owns it.
class WindowSurface {
 public:
  virtual ~WindowSurface() = default;
  virtual wxWindow* Owner() = 0;
  // The folder a chooser starts in: that of the file last chosen.
  virtual std::string ChooserFolder() const = 0;
  virtual void ShowFields(const ConversionSession& session) = 0;
  // The event store changed: the list shows its lines from now on.
  virtual void SyncEventList() = 0;
  virtual void ShowProgress(unsigned long long done, unsigned long long total) = 0;
};

// Stand-ins for the desktop's modal and outside services; unset hooks use
// the real desktop.
struct DesktopHooks {
  std::function<std::optional<std::string>(std::string_view filter, std::string_view extension)> chooseFile;
  std::function<void(const std::string& path)> openInViewer;
  std::function<void(std::string_view text)> showMessage;
  std::function<void()> beep;
  std::function<void(int milliseconds)> pause;
  // Runs a modal dialog of the window (the About box, the job options) and
  // returns its end code.
  std::function<int(wxDialog& dialog)> showModal;
  // Shows a pop-up menu of the window; a chosen entry comes back to the
  // window as a menu command.
  std::function<void(wxMenu& menu)> popupMenu;
};

class WxPlatform : public EventLog, public Progress, public Desktop {
 public:
  // Progress reaches the window at most this often.
  static constexpr std::chrono::milliseconds kProgressInterval{250};

  WxPlatform(EventStore& events, WindowSurface& surface) : events_(events), surface_(surface) {}
  ~WxPlatform() override;

  void AddEvent(EventKind kind, std::string_view line) override { events_.Add(kind, line); }
  void ClearEvents() override { events_.Clear(); }
  std::optional<std::string> ChooseFile(std::string_view filter, std::string_view defaultExtension) override;
  void OpenInViewer(const std::string& path) override;
  void Pause(int milliseconds) override;
  void ShowMessage(std::string_view text) override;
  void Beep() override;
  void SetBusy(bool busy) override;
  void RefreshFields(const ConversionSession& session) override { surface_.ShowFields(session); }
  void ReportProgress(unsigned long long bytesDone, unsigned long long bytesTotal) override;

  // Every modal dialog of the window is shown through here.
  int ShowModal(wxDialog& dialog);
  DesktopHooks& hooks() { return hooks_; }

 private:
  EventStore& events_;
  WindowSurface& surface_;
  DesktopHooks hooks_;
  bool busy_ = false;
  std::chrono::steady_clock::time_point lastProgress_{};
};

}  // namespace zeltlog::ui
