// zeltlog: the desktop program. It takes no arguments, runs the main window
// modally, and ends when the window ends.
#include "ui/main_window.h"

namespace {

class ZeltlogApp : public wxApp {
 public:
  bool OnInit() override {
    SetAppName("ZELTLOG");
    return true;
  }
  int OnRun() override {
    zeltlog::ui::MainWindow window;
    window.ShowModal();
    return 0;
  }
};

}  // namespace

wxIMPLEMENT_APP(ZeltlogApp);
