#include "ui/main_window.h"

#include <memory>

#include "converters/bin1_converter.h"
#include "converters/controller_log.h"
#ifdef ZELTLOG_WITH_ANALYSIS
#include "converters/coverage_report.h"
#include "converters/season_archive.h"
#endif
#include "converters/event_export.h"
#include "converters/job_to_kml.h"
#include "converters/kml_to_job.h"
#include "converters/live_tracking.h"
#include "pipeline/log_conversion.h"
#include "ui/about_box.h"
#include "ui/app_icon.h"
#include "ui/control_ids.h"
#include "ui/file_pick.h"
#include "ui/kml_to_job_dialog.h"
#include "ui/window_state.h"
#include "ui/wx_text.h"
#include "zeltlog_version.h"

namespace zeltlog::ui {
namespace {

// The controls as the window lays them out, in dialog units of a 423 by
// 355 client area. No command shows, hides, enables or disables one later.
enum class Kind { Button, Field, Check, Text, Placeholder };
struct ControlLayout {
  int id;
  Kind kind;
  const char* caption;
  int x, y, width, height;
  bool shown;
  bool enabled;
};

constexpr ControlLayout kControls[] = {
    // Left column: the commands a user can press, then the value fields.
    {id::kZeltLog, Kind::Button, "ZELT LOG", 7, 7, 86, 16, true, true},
    {id::kGoogleEarth, Kind::Button, "GOOGLE EARTH", 7, 27, 86, 16, true, true},
    {id::kKmlToJob, Kind::Button, "KML to JOB", 7, 47, 86, 16, true, true},
    {id::kExport, Kind::Button, "EXPORT", 7, 67, 86, 16, true, true},
    {id::kTracking, Kind::Button, "TRACKING a LOG", 7, 87, 86, 16, true, false},
    {id::kSprayProjection, Kind::Field, "", 13, 122, 30, 15, true, true},
    {id::kRecordCount, Kind::Field, "", 7, 152, 86, 15, true, true},
    {id::kPositionFormat, Kind::Field, "", 7, 170, 86, 15, true, true},
    {id::kVehicle, Kind::Field, "", 7, 188, 86, 15, true, true},
    {id::kIntField, Kind::Field, "", 7, 206, 42, 15, true, true},
    {id::kDoubleField, Kind::Field, "", 51, 206, 42, 15, true, true},
    // The output switches and the controls without an action, all hidden.
    {id::kLineCheck, Kind::Check, "Line", 7, 228, 42, 10, false, true},
    {id::kSwathCheck, Kind::Check, "Swath", 51, 228, 42, 10, false, true},
    {id::kMarksCheck, Kind::Check, "Marks", 7, 240, 42, 10, false, true},
    {id::kBoundariesCheck, Kind::Check, "Boundaries", 51, 240, 42, 10, false, true},
    {id::kShapeCheck, Kind::Check, "SHAPE", 7, 252, 42, 10, false, true},
    {id::kDebugCheck, Kind::Check, "DEBUG", 51, 252, 42, 10, false, true},
    {id::kHtmlCheck, Kind::Check, "HTML", 7, 264, 42, 10, false, true},
    {wxID_STATIC, Kind::Text, "Fore +/Aft -", 7, 278, 40, 10, false, true},
    {id::kForeAftField, Kind::Field, "", 47, 276, 30, 14, false, true},
    {id::kZeltDisp, Kind::Button, "ZELT DISP", 7, 294, 42, 14, false, false},
    {id::kJobToKml, Kind::Button, "FLYDEX JOB to KML", 51, 294, 42, 14, false, true},
    {id::kQgis, Kind::Button, "QGIS", 7, 310, 42, 14, false, false},
#ifdef ZELTLOG_WITH_ANALYSIS
    {id::kMapReport, Kind::Button, "MAP REPORT", 51, 310, 42, 14, true, true},
    // The job's record, its TASKDATA and the season archive, where the
    // hidden switches lie.
    {id::kRecordPdf, Kind::Button, "RECORD", 7, 228, 42, 14, true, true},
    {id::kTaskData, Kind::Button, "TASKDATA", 51, 228, 42, 14, true, true},
    {id::kJobInfo, Kind::Button, "JOB INFO...", 7, 246, 86, 14, true, true},
    {id::kArchiveCheck, Kind::Check, "Add to archive", 7, 264, 86, 10, true, true},
#else
    {id::kMapReport, Kind::Button, "MAP REPORT", 51, 310, 42, 14, false, false},
    {id::kRecordPdf, Kind::Button, "RECORD", 7, 228, 42, 14, false, false},
    {id::kTaskData, Kind::Button, "TASKDATA", 51, 228, 42, 14, false, false},
    {id::kJobInfo, Kind::Button, "JOB INFO...", 7, 246, 86, 14, false, false},
    {id::kArchiveCheck, Kind::Check, "Add to archive", 7, 264, 86, 10, false, false},
#endif
    {id::kGoogleMaps, Kind::Button, "GOOGLE MAPS", 7, 326, 42, 14, false, true},
    {id::kDebugButton, Kind::Button, "DEBUG", 51, 326, 42, 14, false, false},
    {id::kShapeWithTable, Kind::Button, "Generate KML, PMH/PMD from SHAPE", 7, 340, 42, 14, false, false},
    {id::kBin1ToKml, Kind::Button, "BIN1 to KML", 51, 340, 42, 14, false, true},
    {id::kBrowserButton, Kind::Button, "BROWSER", 145, 334, 40, 14, false, false},
    {id::kMapsOfKml, Kind::Button, "MAPS of KML", 190, 334, 40, 14, false, true},
    {id::kRq7, Kind::Button, "Process out from RQ7", 235, 334, 60, 16, false, true},
    // The embedded browser of the dialog template was never used: an empty
    // hidden panel keeps its place and number.
    {id::kWebBrowser, Kind::Placeholder, "", 300, 334, 50, 14, false, true},
    // Right: the event list, the chosen path, the bottom text and OK.
    {id::kChosenPath, Kind::Field, "", 100, 296, 316, 15, true, true},
    {id::kBottomText, Kind::Field, "", 100, 314, 316, 15, true, true},
};

struct FieldTip {
  int id;
  const char* tip;
};
constexpr FieldTip kFieldTips[] = {
    {id::kRecordCount, "Good records"},
    {id::kPositionFormat, "Position format"},
    {id::kSprayProjection, "Spray projection, seconds"},
    {id::kVehicle, "Vehicle"},
    {id::kChosenPath, "Chosen file"},
#ifdef ZELTLOG_WITH_ANALYSIS
    {id::kRecordPdf, "The proof of application of the log read last, as a PDF beside it"},
    {id::kTaskData, "The log read last as TASKDATA for farm software, a zip beside it"},
    {id::kJobInfo, "The job-info file (JSON) whose values the record takes"},
    {id::kArchiveCheck, "Each log ZELT LOG converts joins the season archive"},
#endif
};

void SetText(wxTextCtrl* field, const wxString& text) {
  if (field->GetValue() != text) field->ChangeValue(text);
}

}  // namespace

// The command table: every control that starts something, and what it starts.
const MainWindow::Command MainWindow::kCommands[] = {
    {id::kOk, &MainWindow::OnOk},
    {id::kZeltLog, &MainWindow::OnZeltLog},
    {id::kGoogleEarth, &MainWindow::OnGoogleEarth},
    {id::kZeltDisp, &MainWindow::OnZeltDisp},
    {id::kLineCheck, &MainWindow::OnLineToggle},
    {id::kSwathCheck, &MainWindow::OnSwathToggle},
    {id::kMarksCheck, &MainWindow::OnMarksToggle},
    {id::kJobToKml, &MainWindow::OnJobToKml},
    {id::kKmlToJob, &MainWindow::OnKmlToJob},
    {id::kQgis, &MainWindow::OnQgis},
    {id::kBoundariesCheck, &MainWindow::OnBoundariesToggle},
    {id::kGoogleMaps, &MainWindow::OnGoogleMaps},
    {id::kExport, &MainWindow::OnExport},
    {id::kMapReport, &MainWindow::OnMapReport},
    {id::kShapeWithTable, &MainWindow::OnShapeWithTable},
    {id::kBin1ToKml, &MainWindow::OnBin1ToKml},
    {id::kHtmlCheck, &MainWindow::OnHtmlToggle},
    {id::kTracking, &MainWindow::OnTracking},
    {id::kRq7, &MainWindow::OnRq7},
    {id::kRecordPdf, &MainWindow::OnRecordPdf},
    {id::kTaskData, &MainWindow::OnTaskData},
    {id::kJobInfo, &MainWindow::OnJobInfo},
    {id::kArchiveCheck, &MainWindow::OnArchiveToggle},
};

MainWindow::MainWindow(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, kWindowTitle, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      platform_(events_, *this),
      session_(platform_, platform_, platform_),
      timer_(this, id::kRefreshTimer) {
  CreateControls();
  for (const Command& command : kCommands) {
    const auto run = [this, handler = command.handler](wxCommandEvent&) { RunCommand(handler); };
    Bind(wxEVT_BUTTON, run, command.id);
    Bind(wxEVT_CHECKBOX, run, command.id);
  }
  Bind(wxEVT_TIMER, &MainWindow::OnTimer, this, id::kRefreshTimer);
  Bind(wxEVT_CHAR_HOOK, &MainWindow::OnCharHook, this);
  Bind(wxEVT_CLOSE_WINDOW, &MainWindow::OnClose, this);
  Bind(wxEVT_CONTEXT_MENU, &MainWindow::OnContextMenu, this);
  Bind(wxEVT_MENU, &MainWindow::OnMenu, this, id::kAboutCommand, id::kAboutCommand + 15);
  StartUp();
}

MainWindow::~MainWindow() {
  timer_.Stop();
  platform_.SetBusy(false);
}

void MainWindow::CreateControls() {
  SetIcons(AppIcons());
  SetClientSize(ConvertDialogToPixels(wxSize(423, 355)));
  const auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
  const auto size = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

  auto* ok = new wxButton(this, id::kOk, "OK", at(356, 334), size(60, 16));
  ok->SetDefault();
  SetAffirmativeId(id::kOk);
  new wxStaticBox(this, wxID_ANY, "Spray Projection", at(7, 110), size(86, 32));
  for (const ControlLayout& c : kControls) {
    wxWindow* control = nullptr;
    switch (c.kind) {
      case Kind::Button:
        control = new wxButton(this, c.id, c.caption, at(c.x, c.y), size(c.width, c.height));
        break;
      case Kind::Field:
        control = new wxTextCtrl(this, c.id, wxEmptyString, at(c.x, c.y), size(c.width, c.height), wxTE_READONLY);
        break;
      case Kind::Check:
        control = new wxCheckBox(this, c.id, c.caption, at(c.x, c.y), size(c.width, c.height));
        break;
      case Kind::Text:
        control = new wxStaticText(this, c.id, c.caption, at(c.x, c.y), size(c.width, c.height));
        break;
      case Kind::Placeholder:
        control = new wxPanel(this, c.id, at(c.x, c.y), size(c.width, c.height));
        break;
    }
    control->Show(c.shown);
    control->Enable(c.enabled);
  }
  (new wxSpinButton(this, id::kForeAftSpin, at(79, 275), wxDefaultSize, wxSP_VERTICAL))->Hide();
  // The spin control sits beside its field, at the size the desktop draws it.
  const wxRect sprayField = FindWindow(id::kSprayProjection)->GetRect();
  spraySpin_ = new wxSpinButton(this, id::kSpraySpin, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  const wxSize spin = spraySpin_->GetSize();
  spraySpin_->Move(sprayField.GetRight() + at(2, 0).x, sprayField.GetTop() + (sprayField.height - spin.y) / 2);
  for (const FieldTip& tip : kFieldTips) FindWindow(tip.id)->SetToolTip(tip.tip);
#ifdef ZELTLOG_WITH_ANALYSIS
  // What this build leaves out is disabled, with the reason as its tip.
  const std::pair<int, JobOutput> outputs[] = {
      {id::kRecordPdf, JobOutput::RecordPdf}, {id::kTaskData, JobOutput::TaskData}, {id::kArchiveCheck, JobOutput::Archive}};
  for (const auto& [control, output] : outputs) {
    const std::string leftOut = JobOutputLeftOut(output);
    if (leftOut.empty()) continue;
    FindWindow(control)->Enable(false);
    FindWindow(control)->SetToolTip(FromLibraryText(leftOut));
  }
#endif

  list_ = new EventListView(this, id::kEventList, events_, at(100, 7), size(316, 283));
  gauge_ = new wxGauge(this, wxID_ANY, 1000, at(100, 337), size(250, 10), wxGA_HORIZONTAL, wxDefaultValidator,
                       kProgressGaugeName);
  gauge_->Hide();
  // The tab order follows the buttons a user presses, OK last.
  ok->MoveAfterInTabOrder(FindWindow(id::kBottomText));
}

void MainWindow::StartUp() {
#ifdef __WXMSW__
  // The About entry below the standard entries of the system menu.
  if (wxMenu* systemMenu = MSWGetSystemMenu()) {
    systemMenu->AppendSeparator();
    systemMenu->Append(id::kAboutCommand, kAboutMenuEntry);
  }
#endif
  StartWindowSession(session_, fields_);
  spraySpin_->SetRange(kSpinMinimum, kSpinMaximum);
  spraySpin_->SetValue(kSpinStart);
  ShowFields(session_);
  SyncEventList();
  timer_.Start(1000);
  FindWindow(id::kOk)->SetFocus();
}

wxTextCtrl* MainWindow::Field(int id) const { return static_cast<wxTextCtrl*>(FindWindow(id)); }
wxCheckBox* MainWindow::Check(int id) const { return static_cast<wxCheckBox*>(FindWindow(id)); }

void MainWindow::RunCommand(void (MainWindow::*handler)()) {
  // One command at a time: nothing else starts while one runs.
  if (commandRunning_ || ended_) return;
  commandRunning_ = true;
  (this->*handler)();
  commandRunning_ = false;
  gauge_->Hide();
  SyncEventList();
}

void MainWindow::ReportInputError(const std::string& what, const std::string& reason) {
  platform_.ShowMessage(what + ": " + reason);
}

void MainWindow::EndWindow(int code) {
  timer_.Stop();
  ended_ = true;
  endCode_ = code;
  if (IsModal()) {
    EndModal(code);
  } else {
    Hide();
  }
}

void MainWindow::OnOk() {
  CloseTrackedLog(tracked_);
  EndWindow(id::kOk);
}

void MainWindow::OnZeltLog() {
  const CommandResult result = RunLogConversion(session_);
  // The fields show the run, then the viewer opens what it wrote.
  if (result.inputRead) ShowFields(session_);
  OpenInTurn(platform_, DocumentsForViewer(session_, session_.chosenLogPath, result.outputs));
  if (result.inputRead) {
    fields_.reportedLog = session_.chosenLogPath;
#ifdef ZELTLOG_WITH_ANALYSIS
    if (fields_.addToArchive) AddLogToArchive(session_, session_.chosenLogPath, fields_.jobInfoPath);
#endif
  }
  if (result.chosen && !result.problems.empty()) {
    ReportInputError("Cannot convert " + session_.chosenLogPath, result.problems.back());
  }
}

void MainWindow::OnGoogleEarth() { OpenKmlInViewer(session_); }
void MainWindow::OnZeltDisp() { PickDisplayFile(session_); }
void MainWindow::OnQgis() { OpenShapeInViewer(session_); }
void MainWindow::OnGoogleMaps() { OpenMapPageInViewer(session_); }
void MainWindow::OnShapeWithTable() { PickShapeWithTable(session_); }

void MainWindow::OnKmlToJob() {
  KmlToJobDialog dialog(this, jobOptions_, platform_);
  if (platform_.ShowModal(dialog) != wxID_OK) return;
  const CommandResult result = ConvertKmlToJob(session_, jobOptions_);
  // A refused KML has had its message already.
  if (result.chosen && !result.inputRead) ReportInputError("Cannot read the KML file", result.problems.back());
}

void MainWindow::OnJobToKml() {
  const CommandResult result = OpenJobFile(session_);
  if (!result.problems.empty()) ReportInputError("Cannot read " + session_.chosenLogPath, result.problems.back());
}

void MainWindow::OnExport() { ExportEventList(session_, events_); }

void MainWindow::OnMapReport() {
#ifdef ZELTLOG_WITH_ANALYSIS
  const CommandResult result = RunMapReport(session_, fields_.jobInfoPath, LocaleReportUnits());
  if (result.inputRead) {
    for (const std::string& page : result.outputs.written) platform_.OpenInViewer(page);
    ShowFields(session_);
    fields_.reportedLog = session_.chosenLogPath;
  }
  if (result.chosen && !result.problems.empty()) {
    ReportInputError("Cannot report " + session_.chosenLogPath, result.problems.back());
  }
#endif
}

void MainWindow::OnRecordPdf() {
#ifdef ZELTLOG_WITH_ANALYSIS
  const std::optional<std::string> log = LogForRecord(session_, fields_);
  if (!log) return;
  const CommandResult result =
      WriteRecordPdfOf(session_, *log, fields_.jobInfoPath, LocalePaperSize(), ZELTLOG_VERSION_TEXT,
                       LocaleReportUnits());
  for (const std::string& pdf : result.outputs.written) platform_.OpenInViewer(pdf);
  ReportOutputFailures(*log, result);
#endif
}

void MainWindow::OnTaskData() {
#ifdef ZELTLOG_WITH_ANALYSIS
  const std::optional<std::string> log = LogForRecord(session_, fields_);
  if (log) ReportOutputFailures(*log, WriteTaskDataOf(session_, *log, fields_.jobInfoPath, ZELTLOG_VERSION));
#endif
}

void MainWindow::OnJobInfo() {
#ifdef ZELTLOG_WITH_ANALYSIS
  PickJobInfo(session_, fields_.jobInfoPath);
#endif
}

void MainWindow::ReportOutputFailures(const std::string& log, const CommandResult& result) {
  if (!result.inputRead && !result.problems.empty()) ReportInputError("Cannot report " + log, result.problems.back());
  for (const OutputFailure& failed : result.outputs.failed) ReportInputError("Cannot write " + failed.path, failed.reason);
}

void MainWindow::OnBin1ToKml() {
  const CommandResult result = ConvertBin1(session_);
  if (result.chosen) ShowFields(session_);
  if (!result.problems.empty()) ReportInputError("Cannot convert the GPS message log", result.problems.back());
}

void MainWindow::OnRq7() {
  const CommandResult result = ExtractControllerBlocks(session_);
  if (!result.problems.empty()) ReportInputError("Cannot read the controller log", result.problems.back());
}

void MainWindow::OnTracking() {
  const CommandResult result = StartTracking(session_, tracked_);
  if (!result.problems.empty()) ReportInputError("Cannot track " + session_.chosenLogPath, result.problems.back());
}

void MainWindow::OnLineToggle() { ToggleSwitch(session_, fields_, OutputSwitch::Line); }
void MainWindow::OnSwathToggle() { ToggleSwitch(session_, fields_, OutputSwitch::Swath); }
void MainWindow::OnMarksToggle() { ToggleSwitch(session_, fields_, OutputSwitch::Marks); }
// A click has flipped the box's own check mark already; the boxes show
// their check states again at the next refresh.
void MainWindow::OnBoundariesToggle() { ToggleSwitch(session_, fields_, OutputSwitch::Boundaries); }
void MainWindow::OnHtmlToggle() { ToggleSwitch(session_, fields_, OutputSwitch::Html); }
void MainWindow::OnArchiveToggle() { ToggleSwitch(session_, fields_, OutputSwitch::Archive); }

void MainWindow::OnTimer(wxTimerEvent&) {
  if (commandRunning_) return;
  session_.options.sprayProjection = SprayProjectionFromSpin(spraySpin_->GetValue());
  ShowFields(session_);
}

void MainWindow::OnCharHook(wxKeyEvent& event) {
  switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
      if (!commandRunning_) EndWindow(wxID_CANCEL);
      return;
    case WXK_F1:
      ShowAbout();
      return;
    default:
      event.Skip();
  }
}

void MainWindow::OnClose(wxCloseEvent& event) {
  if (commandRunning_ && event.CanVeto()) {
    event.Veto();
    return;
  }
  EndWindow(wxID_CANCEL);
}

wxMenu* MainWindow::BuildContextMenu() const {
  auto* menu = new wxMenu;
  menu->Append(id::kAboutCommand, kAboutMenuEntry);
  return menu;
}

void MainWindow::OnContextMenu(wxContextMenuEvent&) {
  std::unique_ptr<wxMenu> menu(BuildContextMenu());
  if (hooks().popupMenu) {
    hooks().popupMenu(*menu);
  } else {
    PopupMenu(menu.get());
  }
}

void MainWindow::OnMenu(wxCommandEvent& event) { HandleSystemCommand(event.GetId()); }

bool MainWindow::HandleSystemCommand(int command) {
  if ((command & ~0xF) != id::kAboutCommand) return false;
  ShowAbout();
  return true;
}

void MainWindow::ShowAbout() {
  AboutBox about(this);
  platform_.ShowModal(about);
}

void MainWindow::ShowFields(const ConversionSession& session) {
  const FieldTexts f = FieldsOf(session, fields_);
  SetText(Field(id::kRecordCount), FromLibraryText(f.recordCount));
  SetText(Field(id::kChosenPath), FromLibraryText(f.chosenPath));
  SetText(Field(id::kPositionFormat), FromLibraryText(f.positionFormat));
  SetText(Field(id::kSprayProjection), FromLibraryText(f.sprayProjection));
  SetText(Field(id::kVehicle), FromLibraryText(f.vehicle));
  SetText(Field(id::kBottomText), FromLibraryText(f.bottom));
  SetText(Field(id::kIntField), FromLibraryText(f.intField));
  SetText(Field(id::kDoubleField), FromLibraryText(f.doubleField));
  Check(id::kLineCheck)->SetValue(f.line);
  Check(id::kSwathCheck)->SetValue(f.swath);
  Check(id::kMarksCheck)->SetValue(f.marks);
  Check(id::kShapeCheck)->SetValue(f.shape);
  Check(id::kBoundariesCheck)->SetValue(f.boundaries);
  Check(id::kDebugCheck)->SetValue(f.debug);
  Check(id::kHtmlCheck)->SetValue(f.html);
  Check(id::kArchiveCheck)->SetValue(f.archive);
}

void MainWindow::SyncEventList() { list_->Sync(); }

void MainWindow::ShowProgress(unsigned long long done, unsigned long long total) {
  gauge_->Show();
  gauge_->SetValue(total == 0 ? 0 : static_cast<int>(done * 1000 / total));
  SyncEventList();
  // Repaint without taking any input: no other command can start meanwhile.
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
}

}  // namespace zeltlog::ui
