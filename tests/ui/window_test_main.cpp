// The window tests run the real window toolkit on a display (Xvfb in CI):
// the toolkit is started once for all tests, without a main loop; each test
// drives its own main window through command events.
#include <gtest/gtest.h>

#include <cstdio>

#include "ui/wx_headers.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  wxApp::SetInstance(new wxApp());
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "The window toolkit could not start: is there a display (run under xvfb-run)?\n");
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
