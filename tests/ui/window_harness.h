// A main window for one test, with every request to the desktop taken over:
// file choices come from a queue, viewer launches, messages, beeps and
// pauses are recorded, and modal dialogs go to a test's handler instead of
// waiting for a user.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/main_window.h"

namespace zeltlog::ui::testing {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A button press or a menu choice, as the toolkit delivers it.
  void Press(int id);
  void PressIn(wxWindow* dialog, int id);
  // A click on a check box or a radio button: its mark flips, then the
  // toolkit tells the window.
  void Click(int id);
  void ClickRadio(wxRadioButton* radio);
  // A key pressed anywhere in the window.
  void Key(int keyCode);
  // One tick of the refresh timer.
  void Tick();
  // Lets the toolkit draw what is pending.
  static void Settle();

  std::string FieldText(int id) const;
  wxWindow* Control(int id) const { return window->FindWindow(id); }
  // The lines the event list shows, as UTF-8.
  std::vector<std::string> ListLines() const;
  long ListCount() const;

  MainWindow* window = nullptr;
  std::deque<std::optional<std::string>> choices;
  std::vector<std::string> filters, extensions, opened, messages;
  std::vector<int> pauses;
  int beeps = 0;
  // Titles of the modal dialogs shown, in order; the handler acts in each
  // (cancels when unset) and returns its end code.
  std::vector<std::string> modalTitles;
  std::function<int(wxDialog&)> onModal;
  std::vector<std::string> popupEntries;
};

// Every static text, button and box caption inside a window, as UTF-8.
std::vector<std::string> CaptionsIn(wxWindow* window);

}  // namespace zeltlog::ui::testing
