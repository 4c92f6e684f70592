#include "ui/about_box.h"

#include "ui/app_icon.h"

namespace zeltlog::ui {

AboutBox::AboutBox(wxWindow* parent) : wxDialog(parent, wxID_ANY, kAboutTitle) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticBitmap(this, wxID_ANY, AppIconBitmap(32)), 0, wxALL | wxALIGN_CENTER_VERTICAL, 10);
  row->Add(new wxStaticText(this, wxID_ANY, kAboutVersionLine), 1, wxALL | wxALIGN_CENTER_VERTICAL, 10);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  row->Add(ok, 0, wxALL | wxALIGN_CENTER_VERTICAL, 10);
  SetSizerAndFit(row);
  CentreOnParent();
}

}  // namespace zeltlog::ui
