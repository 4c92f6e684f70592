#include "ui/self_test.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/main_window.h"
#include "ui/wx_text.h"

namespace zeltlog::ui {
namespace {

void Settle() {
  for (int i = 0; i < 30; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
}

void Press(MainWindow& window, int id) {
  wxWindow* control = window.FindWindow(id);
  if (!control) return;
  wxCommandEvent event(wxEVT_BUTTON, id);
  event.SetEventObject(control);
  control->GetEventHandler()->ProcessEvent(event);
}

// The picture of the window's client area, or why there is none.
std::string SavePicture(MainWindow& window, const char* path) {
  // From the screen, where the controls (windows of their own on Windows)
  // are drawn over the client area.
  const wxSize size = window.GetClientSize();
  const wxPoint origin = window.ClientToScreen(wxPoint(0, 0));
  wxBitmap bitmap(size);
  {
    wxScreenDC screen;
    wxMemoryDC memory(bitmap);
    if (!memory.Blit(0, 0, size.x, size.y, &screen, origin.x, origin.y)) return "the window could not be copied";
  }
  if (wxImage::FindHandler(wxBITMAP_TYPE_BMP) == nullptr) wxImage::AddHandler(new wxBMPHandler);
  const wxImage image = bitmap.ConvertToImage();
  if (!image.IsOk()) return "the copy of the window could not be converted";
  if (!image.SaveFile(FromLibraryText(path), wxBITMAP_TYPE_BMP)) return std::string("cannot write ") + path;
  return {};
}

int Run(const std::string& log, const char* picture) {
  auto* window = new MainWindow();
  DesktopHooks& hooks = window->hooks();
  std::optional<std::string> choice = log;
  std::vector<std::string> opened;
  std::vector<std::string> messages;
  hooks.chooseFile = [&](std::string_view, std::string_view) {
    std::optional<std::string> chosen = choice;
    choice.reset();
    return chosen;
  };
  hooks.openInViewer = [&](const std::string& path) { opened.push_back(path); };
  hooks.showMessage = [&](std::string_view text) { messages.emplace_back(text); };
  hooks.beep = [] {};
  hooks.pause = [](int) {};
  hooks.showModal = [](wxDialog&) { return static_cast<int>(wxID_CANCEL); };
  window->Show();
  Settle();

  // A second passes, as it would before anyone pressed a button: the
  // refresh takes the spray projection from the spin control.
  window->refreshTimer().Notify();
  Press(*window, id::kZeltLog);
  window->refreshTimer().Notify();
  Settle();
  std::string pictureProblem;
  if (picture) {
    // Everything drawn afresh before the picture is taken.
    window->Refresh();
    window->Update();
    for (int i = 0; i < 5; ++i) Settle();
    pictureProblem = SavePicture(*window, picture);
  }
  Press(*window, id::kExport);
  Settle();
  const size_t documentsOpened = opened.size();
  // MAP REPORT of the same log: its table ends the event list, and its map
  // page is opened.
  // RECORD, where the build draws PDFs: the converted log's proof of
  // application beside it, opened.
  const wxWindow* record = window->FindWindow(id::kRecordPdf);
  const bool recordEnabled = record && record->IsEnabled();
  if (recordEnabled) {
    Press(*window, id::kRecordPdf);
    Settle();
  }
  const size_t recordsOpened = opened.size() - documentsOpened;
  choice = log;
  Press(*window, id::kMapReport);
  Settle();

  int status = 0;
  for (const std::string& path : opened) std::printf("opened %s\n", path.c_str());
  const EventStore& events = window->events();
  for (size_t i = 0; i < events.size(); ++i) {
    const std::string_view line = events.line(i);
    std::printf("event %.*s\n", static_cast<int>(line.size()), line.data());
  }
  // The export confirms itself with a message; any other is a failure.
  for (const std::string& message : messages) {
    std::fprintf(stderr, "zeltlog: %s\n", message.c_str());
    if (message.rfind("DATA.DAT Closed", 0) != 0) status = 1;
  }
  if (documentsOpened != 3) {
    std::fprintf(stderr, "zeltlog: %zu documents opened, 3 expected\n", documentsOpened);
    status = 1;
  }
  if (recordsOpened != (recordEnabled ? 1u : 0u)) {
    std::fprintf(stderr, "zeltlog: %zu records opened, %d expected\n", recordsOpened, recordEnabled ? 1 : 0);
    status = 1;
  }
  if (opened.size() != documentsOpened + recordsOpened + 1) {
    std::fprintf(stderr, "zeltlog: %zu map pages opened, 1 expected\n", opened.size() - documentsOpened - recordsOpened);
    status = 1;
  }
  if (!pictureProblem.empty()) {
    std::fprintf(stderr, "zeltlog: no picture of the window: %s\n", pictureProblem.c_str());
    status = 1;
  }
  window->Destroy();
  wxTheApp->ProcessIdle();
  return status;
}

}  // namespace

int RunWindowSelfTest(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: zeltlog --self-test LOG [PICTURE.bmp]\n");
    return 2;
  }
  const std::string log = argv[2];
  const char* picture = argc > 3 ? argv[3] : nullptr;
  int toolkitArgc = 1;
  wxApp::SetInstance(new wxApp());
  if (!wxEntryStart(toolkitArgc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "zeltlog: the window toolkit could not start\n");
    return 1;
  }
  const int status = Run(log, picture);
  std::fflush(stdout);
  wxTheApp->OnExit();
  wxEntryCleanup();
  return status;
}

}  // namespace zeltlog::ui
