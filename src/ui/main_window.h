// The main window: the one dialog that lives for the whole run of the
// program. It owns the session, shows the event list and the value fields,
// and turns each button into one library command, with the window as its
// event list, progress display and desktop. Its own work is only the start-up values, the one-second refresh
// with the spray projection from the spin control, the output-switch
// toggles and the About box.
#pragma once

#include <string>

#include "core/event_store.h"
#include "converters/kml_to_job.h"
#include "converters/live_tracking.h"
#include "core/session.h"
#include "ui/window_state.h"
#include "ui/event_list_view.h"
#include "ui/wx_headers.h"
#include "ui/wx_platform.h"

namespace zeltlog::ui {

inline constexpr const char* kWindowTitle = "ZELTLOG   V 2.4";
inline constexpr const char* kAboutMenuEntry = "&About ZELTLOG...";
// The gauge that shows how far a long read has got.
inline constexpr const char* kProgressGaugeName = "progress";

class MainWindow : public wxDialog, private WindowSurface {
 public:
  explicit MainWindow(wxWindow* parent = nullptr);
  ~MainWindow() override;

  // A system command: 16 to 31 open the About box; false for every other
  // command, which keeps the default handling.
  bool HandleSystemCommand(int command);
  // The menu of a right click anywhere in the window.
  wxMenu* BuildContextMenu() const;

  ConversionSession& session() { return session_; }
  WindowFields& fields() { return fields_; }
  KmlToJobOptions& jobOptions() { return jobOptions_; }
  TrackedLog& trackedLog() { return tracked_; }
  const EventStore& events() const { return events_; }
  WxPlatform& platform() { return platform_; }
  DesktopHooks& hooks() { return platform_.hooks(); }
  wxTimer& refreshTimer() { return timer_; }
  // Set once OK, Escape or the close box ended the window.
  bool ended() const { return ended_; }
  int endCode() const { return endCode_; }

 private:
  struct Command {
    int id;
    void (MainWindow::*handler)();
  };
  static const Command kCommands[];

  void CreateControls();
  void StartUp();
  void RunCommand(void (MainWindow::*handler)());
  // A message box for a chosen file that a command could not use.
  void ReportInputError(const std::string& what, const std::string& reason);
  // A message box for each output of `log` that a command could not write,
  // or for the log when it could not be read.
  void ReportOutputFailures(const std::string& log, const CommandResult& result);
  void EndWindow(int code);
  void ShowAbout();

  // The commands.
  void OnOk();
  void OnZeltLog();
  void OnGoogleEarth();
  void OnZeltDisp();
  void OnQgis();
  void OnGoogleMaps();
  void OnShapeWithTable();
  void OnKmlToJob();
  void OnJobToKml();
  void OnExport();
  void OnMapReport();
  void OnBin1ToKml();
  void OnRq7();
  void OnTracking();
  void OnRecordPdf();
  void OnTaskData();
  void OnJobInfo();
  void OnLineToggle();
  void OnSwathToggle();
  void OnMarksToggle();
  void OnBoundariesToggle();
  void OnHtmlToggle();
  void OnArchiveToggle();

  // Window events.
  void OnTimer(wxTimerEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnMenu(wxCommandEvent& event);

  // WindowSurface.
  wxWindow* Owner() override { return this; }
  std::string ChooserFolder() const override { return session_.lastChosenFolder; }
  void ShowFields(const ConversionSession& session) override;
  void SyncEventList() override;
  void ShowProgress(unsigned long long done, unsigned long long total) override;

  wxTextCtrl* Field(int id) const;
  wxCheckBox* Check(int id) const;

  EventStore events_;
  WxPlatform platform_;
  ConversionSession session_;
  WindowFields fields_;
  KmlToJobOptions jobOptions_;
  TrackedLog tracked_;
  wxTimer timer_;
  EventListView* list_ = nullptr;
  wxSpinButton* spraySpin_ = nullptr;
  wxGauge* gauge_ = nullptr;
  bool commandRunning_ = false;
  bool ended_ = false;
  int endCode_ = 0;
};

}  // namespace zeltlog::ui
