// The options of the "KML to JOB" command: the job name (up to 20
// characters, also the job file's name), include or exclude, and the job
// number (1 to 999) whose field and spin control are created hidden.
// The values live in the session, so the dialog reopens with the last ones;
// a click on INCLUDE or EXCLUDE is kept at once, even if the dialog is then
// cancelled, and OK keeps the rest.
#pragma once

#include "converters/kml_to_job.h"
#include "core/session.h"
#include "ui/wx_headers.h"

namespace zeltlog::ui {

inline constexpr const char* kKmlToJobTitle = "KML to JOB";
inline constexpr const char* kJobNameBoxCaption = "Job Name up to 20 characters";
inline constexpr const char* kPolygonNote =
    "This option requires a closed polygon to be in WGS84 latitude and longitude to create a proper JOB file.  Can be "
    "generated in Google Earth  ";
inline constexpr const char* kJobNameNote =
    "The T7 and Zentrix will accept alpha numeric names for jobs.  Brevin and Q5 requires jobs to be numbers 1 through "
    "999";

class KmlToJobDialog : public wxDialog {
 public:
  // Refusals of OK (a name too long, a number out of range) go to `messages`.
  KmlToJobDialog(wxWindow* parent, KmlToJobOptions& options, Desktop& messages);

  bool TransferDataToWindow() override;
  bool TransferDataFromWindow() override;

  wxTextCtrl* nameField() const { return name_; }
  wxRadioButton* includeButton() const { return include_; }
  wxRadioButton* excludeButton() const { return exclude_; }
  wxTextCtrl* numberField() const { return number_; }
  wxSpinButton* numberSpin() const { return numberSpin_; }

 private:
  void OnKind(wxCommandEvent& event);
  void OnNumberSpin(wxSpinEvent& event);

  KmlToJobOptions& options_;
  Desktop& messages_;
  wxTextCtrl* name_;
  wxRadioButton* include_;
  wxRadioButton* exclude_;
  wxTextCtrl* number_;
  wxSpinButton* numberSpin_;
};

}  // namespace zeltlog::ui
