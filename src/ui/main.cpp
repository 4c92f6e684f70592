// zeltlog: the desktop program. It runs the main window modally and ends
// when the window ends. Only --version and --help are read before the
// window opens (they need no display); any other argument is ignored.
#include <cstdio>
#include <cstring>

#include "ui/main_window.h"
#include "ui/self_test.h"
#include "zeltlog_version.h"

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

wxIMPLEMENT_APP_NO_MAIN(ZeltlogApp);

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--self-test") == 0) return zeltlog::ui::RunWindowSelfTest(argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("zeltlog %s\n", ZELTLOG_VERSION_TEXT);
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(
          "Usage: zeltlog [--version] [--help]\n"
          "The ZELTLOG window: converts guidance logs of spraying consoles to KML documents\n"
          "and opens them in the desktop's KML viewer. zeltlog-cli does the same from the\n"
          "command line.\n");
      return 0;
    }
  }
  return wxEntry(argc, argv);
}
