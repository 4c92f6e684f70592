// The main window as it opens, its refresh, its switch toggles, the About
// box and the ways it ends.
#include <gtest/gtest.h>

#include "ui/about_box.h"
#include "window_harness.h"

namespace zeltlog::ui::testing {
namespace {

TEST_F(WindowTest, OpensWithItsTitleDefaultButtonAndReadOnlyFields) {
  EXPECT_EQ(window->GetTitle().utf8_string(), "ZELTLOG   V 2.4");
  const auto captions = CaptionsIn(window);
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Spray Projection"), captions.end());
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Fore +/Aft -"), captions.end());
  EXPECT_EQ(window->GetDefaultItem(), Control(id::kOk));
  // Read-only fields: values flow from the session to the window only.
  EXPECT_FALSE(dynamic_cast<wxTextCtrl*>(Control(id::kChosenPath))->IsEditable());
  auto* list = dynamic_cast<wxListCtrl*>(Control(id::kEventList));
  EXPECT_TRUE(list->HasFlag(wxLC_VIRTUAL) && list->HasFlag(wxLC_REPORT));
  auto* spin = dynamic_cast<wxSpinButton*>(Control(id::kSpraySpin));
  EXPECT_EQ(spin->GetMin(), 0);
  EXPECT_EQ(spin->GetMax(), 40);
  EXPECT_EQ(spin->GetValue(), 22);
}

TEST_F(WindowTest, StartsEmptyAndTheFirstTickSetsTheSprayProjection) {
  EXPECT_EQ(ListCount(), 0);
  EXPECT_EQ(FieldText(id::kRecordCount), "0");
  EXPECT_EQ(FieldText(id::kChosenPath), "");
  EXPECT_EQ(FieldText(id::kSprayProjection), "0");
  EXPECT_EQ(FieldText(id::kVehicle), "AIR");
  EXPECT_EQ(FieldText(id::kIntField), "0");
  EXPECT_EQ(FieldText(id::kDoubleField), "0");
  const ConversionSession& s = window->session();
  EXPECT_EQ(s.options.lineOutput + s.options.swathOutput + s.options.marksOutput + s.options.boundaryOutput + s.options.htmlOutput, 5);
  EXPECT_TRUE(window->refreshTimer().IsRunning());
  EXPECT_EQ(window->refreshTimer().GetInterval(), 1000);

  Tick();
  EXPECT_EQ(FieldText(id::kSprayProjection), "0.2");
  EXPECT_DOUBLE_EQ(window->session().options.sprayProjection, 0.2);

  // The spin control's ends: a tenth of a second a step around 20.
  auto* spin = dynamic_cast<wxSpinButton*>(Control(id::kSpraySpin));
  spin->SetValue(0);
  Tick();
  EXPECT_EQ(FieldText(id::kSprayProjection), "-2");
  spin->SetValue(40);
  Tick();
  EXPECT_EQ(FieldText(id::kSprayProjection), "2");
  spin->SetValue(23);
  Tick();
  EXPECT_EQ(FieldText(id::kSprayProjection), "0.3");
}

TEST_F(WindowTest, MarksOffTakesBoundariesWithItAndOnLeavesThemOff) {
  Click(id::kMarksCheck);
  Click(id::kMarksCheck);
  EXPECT_EQ(ListLines(), (std::vector<std::string>{"MARK OFF", "BOUNDARY OFF", "MARK ON"}));
  EXPECT_TRUE(window->session().options.marksOutput);
  EXPECT_FALSE(window->session().options.boundaryOutput);
  // The Boundaries box shows its cleared state from the next refresh on.
  Tick();
  EXPECT_FALSE(dynamic_cast<wxCheckBox*>(Control(id::kBoundariesCheck))->GetValue());
}

TEST_F(WindowTest, EachSwitchToggleListsItsLine) {
  const ConversionSession& s = window->session();
  for (int id : {id::kLineCheck, id::kSwathCheck, id::kBoundariesCheck, id::kHtmlCheck}) Click(id);
  EXPECT_EQ(s.options.lineOutput + s.options.swathOutput + s.options.boundaryOutput + s.options.htmlOutput, 0);
  EXPECT_EQ(window->fields().boundariesCheckState + window->fields().htmlCheckState, 0);
  for (int id : {id::kLineCheck, id::kSwathCheck, id::kBoundariesCheck, id::kHtmlCheck}) Click(id);
  EXPECT_EQ(s.options.lineOutput + s.options.swathOutput + s.options.boundaryOutput + s.options.htmlOutput, 4);
  EXPECT_EQ(ListLines(), (std::vector<std::string>{"LINE OFF", "SWATH OFF", "BOUNDARY OFF", "HTML OFF", "LINE ON",
                                                   "SWATH ON", "BOUNDARY ON", "HTML ON"}));
  // The boxes without an action do nothing.
  for (int id : {id::kLineCheck, id::kShapeCheck, id::kDebugCheck}) Click(id);
  EXPECT_FALSE(s.options.lineOutput);
  EXPECT_EQ(ListCount(), 9);
}

class AboutBoxTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    onModal = [this](wxDialog& dialog) {
      if (dynamic_cast<AboutBox*>(&dialog) != nullptr) {
        aboutCaptions = CaptionsIn(&dialog);
        for (wxWindow* child : dialog.GetChildren()) hasIcon = hasIcon || dynamic_cast<wxStaticBitmap*>(child);
      }
      return wxID_OK;
    };
  }
  std::vector<std::string> aboutCaptions;
  bool hasIcon = false;
};

TEST_F(AboutBoxTest, OpensFromSystemCommandsSixteenToThirtyOneF1AndContextMenus) {
  for (int command = 16; command <= 31; ++command) EXPECT_TRUE(window->HandleSystemCommand(command)) << command;
  EXPECT_EQ(modalTitles, std::vector<std::string>(16, "About ZELTLOG"));
  EXPECT_EQ(aboutCaptions, (std::vector<std::string>{"ZELTLOG Version 2.3", "OK"}));
  EXPECT_TRUE(hasIcon);
  // Every other system command keeps its default handling.
  for (int command : {0, 15, 32, 0xF060}) EXPECT_FALSE(window->HandleSystemCommand(command)) << command;
  EXPECT_EQ(modalTitles.size(), 16u);

  // F1, and the context menu of any control.
  Key(WXK_F1);
  for (int id : {id::kEventList, id::kChosenPath, id::kZeltLog}) {
    wxContextMenuEvent event(wxEVT_CONTEXT_MENU, id);
    event.SetEventObject(Control(id));
    Control(id)->GetEventHandler()->ProcessEvent(event);
  }
  EXPECT_EQ(popupEntries, std::vector<std::string>(3, "&About ZELTLOG..."));
  EXPECT_EQ(modalTitles, std::vector<std::string>(20, "About ZELTLOG"));
  EXPECT_FALSE(window->ended());
}

TEST_F(WindowTest, EscapeEndsTheWindow) {
  Key(WXK_ESCAPE);
  EXPECT_TRUE(window->ended());
  EXPECT_EQ(window->endCode(), wxID_CANCEL);
  EXPECT_FALSE(window->IsShown());
  EXPECT_FALSE(window->refreshTimer().IsRunning());
}

TEST_F(WindowTest, TheCloseBoxEndsTheWindowAndNoCommandStartsAfterwards) {
  window->Close();
  EXPECT_TRUE(window->ended());
  choices.push_back("/nonexistent.KML");
  Press(id::kGoogleEarth);
  EXPECT_TRUE(filters.empty());
}

}  // namespace
}  // namespace zeltlog::ui::testing
