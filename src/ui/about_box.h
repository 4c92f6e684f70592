// The About box: the application icon, the version line and OK.
#pragma once

#include "ui/wx_headers.h"

namespace zeltlog::ui {

inline constexpr const char* kAboutTitle = "About ZELTLOG";
inline constexpr const char* kAboutVersionLine = "ZELTLOG Version 2.3";

class AboutBox : public wxDialog {
 public:
  explicit AboutBox(wxWindow* parent);
};

}  // namespace zeltlog::ui
