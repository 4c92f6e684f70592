#include "window_harness.h"

namespace zeltlog::ui::testing {

void WindowTest::SetUp() {
  window = new MainWindow();
  DesktopHooks& hooks = window->hooks();
  hooks.chooseFile = [this](std::string_view filter, std::string_view extension) -> std::optional<std::string> {
    filters.emplace_back(filter);
    extensions.emplace_back(extension);
    if (choices.empty()) return std::nullopt;
    auto choice = choices.front();
    choices.pop_front();
    return choice;
  };
  hooks.openInViewer = [this](const std::string& path) { opened.push_back(path); };
  hooks.showMessage = [this](std::string_view text) { messages.emplace_back(text); };
  hooks.beep = [this] { ++beeps; };
  hooks.pause = [this](int milliseconds) { pauses.push_back(milliseconds); };
  hooks.showModal = [this](wxDialog& dialog) {
    modalTitles.push_back(dialog.GetTitle().utf8_string());
    return onModal ? onModal(dialog) : wxID_CANCEL;
  };
  hooks.popupMenu = [this](wxMenu& menu) {
    for (const wxMenuItem* item : menu.GetMenuItems()) popupEntries.push_back(item->GetItemLabel().utf8_string());
    // The user picks the first entry.
    wxCommandEvent choice(wxEVT_MENU, menu.GetMenuItems().front()->GetId());
    window->ProcessWindowEvent(choice);
  };
  window->Show();
}

void WindowTest::TearDown() {
  window->Destroy();
  wxTheApp->ProcessIdle();
}

void WindowTest::Press(int id) { PressIn(window, id); }

void WindowTest::PressIn(wxWindow* dialog, int id) {
  wxWindow* control = dialog->FindWindow(id);
  ASSERT_NE(control, nullptr) << "no control " << id;
  wxCommandEvent event(wxEVT_BUTTON, id);
  event.SetEventObject(control);
  control->GetEventHandler()->ProcessEvent(event);
}

void WindowTest::Click(int id) {
  auto* box = dynamic_cast<wxCheckBox*>(Control(id));
  ASSERT_NE(box, nullptr) << "no check box " << id;
  box->SetValue(!box->GetValue());
  wxCommandEvent event(wxEVT_CHECKBOX, id);
  event.SetEventObject(box);
  event.SetInt(box->GetValue() ? 1 : 0);
  box->GetEventHandler()->ProcessEvent(event);
}

void WindowTest::ClickRadio(wxRadioButton* radio) {
  radio->SetValue(true);
  wxCommandEvent event(wxEVT_RADIOBUTTON, radio->GetId());
  event.SetEventObject(radio);
  event.SetInt(1);
  radio->GetEventHandler()->ProcessEvent(event);
}

void WindowTest::Key(int keyCode) {
  wxKeyEvent event(wxEVT_CHAR_HOOK);
  event.m_keyCode = keyCode;
  event.SetEventObject(window);
  window->GetEventHandler()->ProcessEvent(event);
}

void WindowTest::Tick() { window->refreshTimer().Notify(); }

void WindowTest::Settle() {
  for (int i = 0; i < 20; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
}

std::string WindowTest::FieldText(int id) const {
  auto* field = dynamic_cast<wxTextCtrl*>(Control(id));
  return field == nullptr ? "<no field>" : field->GetValue().utf8_string();
}

std::vector<std::string> WindowTest::ListLines() const {
  auto* list = dynamic_cast<wxListCtrl*>(Control(id::kEventList));
  std::vector<std::string> lines;
  for (long i = 0; i < list->GetItemCount(); ++i) lines.push_back(list->GetItemText(i).utf8_string());
  return lines;
}

long WindowTest::ListCount() const { return dynamic_cast<wxListCtrl*>(Control(id::kEventList))->GetItemCount(); }

std::vector<std::string> CaptionsIn(wxWindow* window) {
  std::vector<std::string> captions;
  for (wxWindow* child : window->GetChildren()) {
    if (dynamic_cast<wxStaticText*>(child) || dynamic_cast<wxButton*>(child) || dynamic_cast<wxStaticBox*>(child) ||
        dynamic_cast<wxRadioButton*>(child)) {
      captions.push_back(child->GetLabel().utf8_string());
    }
    for (auto& inner : CaptionsIn(child)) captions.push_back(inner);
  }
  return captions;
}

}  // namespace zeltlog::ui::testing
