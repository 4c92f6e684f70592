#include "ui/kml_to_job_dialog.h"

#include "converters/kml_to_job.h"
#include "ui/wx_text.h"

namespace zeltlog::ui {

KmlToJobDialog::KmlToJobDialog(wxWindow* parent, KmlToJobOptions& options, Desktop& messages)
    : wxDialog(parent, wxID_ANY, kKmlToJobTitle), options_(options), messages_(messages) {
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  auto* nameBox = new wxStaticBoxSizer(wxVERTICAL, this, kJobNameBoxCaption);
  name_ = new wxTextCtrl(nameBox->GetStaticBox(), wxID_ANY, wxEmptyString, wxDefaultPosition,
                         wxSize(ConvertDialogToPixels(wxSize(110, 0)).x, -1));
  name_->SetMaxLength(kMaxJobNameLength);
  nameBox->Add(name_, 0, wxALL | wxEXPAND, 5);
  top->Add(nameBox, 1, wxALL, 7);

  auto* kinds = new wxBoxSizer(wxVERTICAL);
  include_ = new wxRadioButton(this, wxID_ANY, "INCLUDE", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  exclude_ = new wxRadioButton(this, wxID_ANY, "EXCLUDE");
  kinds->Add(include_, 0, wxALL, 4);
  kinds->Add(exclude_, 0, wxALL, 4);
  top->Add(kinds, 0, wxALL | wxALIGN_CENTER_VERTICAL, 7);

  // The job number: the consoles that take only numbered jobs use it, but
  // the dialog keeps it out of sight and it stays at 1.
  auto* numberRow = new wxBoxSizer(wxHORIZONTAL);
  number_ = new wxTextCtrl(this, wxID_ANY, "1");
  numberSpin_ = new wxSpinButton(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  numberSpin_->SetRange(0, kMaxJobNumber);
  numberSpin_->SetValue(1);
  numberRow->Add(number_, 0, wxALL, 2);
  numberRow->Add(numberSpin_, 0, wxALL, 2);
  number_->Hide();
  numberSpin_->Hide();

  const int wrap = ConvertDialogToPixels(wxSize(240, 0)).x;
  auto* polygonNote = new wxStaticText(this, wxID_ANY, kPolygonNote);
  polygonNote->Wrap(wrap);
  auto* nameNote = new wxStaticText(this, wxID_ANY, kJobNameNote);
  nameNote->Wrap(wrap);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  buttons->Add(ok, 0, wxALL, 4);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);

  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(top, 0, wxEXPAND);
  all->Add(numberRow, 0, wxLEFT, 7);
  all->Add(polygonNote, 0, wxALL, 7);
  all->Add(nameNote, 0, wxALL, 7);
  all->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 5);
  SetSizerAndFit(all);
  CentreOnParent();

  include_->Bind(wxEVT_RADIOBUTTON, &KmlToJobDialog::OnKind, this);
  exclude_->Bind(wxEVT_RADIOBUTTON, &KmlToJobDialog::OnKind, this);
  numberSpin_->Bind(wxEVT_SPIN, &KmlToJobDialog::OnNumberSpin, this);
}

bool KmlToJobDialog::TransferDataToWindow() {
  name_->ChangeValue(FromLibraryText(options_.jobName));
  (options_.boundaryKind == 1 ? exclude_ : include_)->SetValue(true);
  number_->ChangeValue(wxString::Format("%d", options_.jobNumber));
  numberSpin_->SetValue(options_.jobNumber);
  return true;
}

bool KmlToJobDialog::TransferDataFromWindow() {
  if (name_->GetValue().length() > kMaxJobNameLength) {
    messages_.ShowMessage("Please enter no more than 20 characters.");
    name_->SetFocus();
    return false;
  }
  long number = 0;
  if (!number_->GetValue().Trim().Trim(false).ToLong(&number) || number < kMinJobNumber || number > kMaxJobNumber) {
    messages_.ShowMessage("Please enter an integer between 1 and 999.");
    return false;
  }
  options_.jobName = ToLibraryText(name_->GetValue());
  options_.jobNumber = static_cast<int>(number);
  return true;
}

void KmlToJobDialog::OnKind(wxCommandEvent& event) {
  options_.boundaryKind = event.GetEventObject() == exclude_ ? 1 : 0;
}

void KmlToJobDialog::OnNumberSpin(wxSpinEvent& event) { number_->ChangeValue(wxString::Format("%d", event.GetPosition())); }

}  // namespace zeltlog::ui
