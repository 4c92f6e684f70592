// The application icon: a field with sprayed swaths and the flight path
// across them, drawn at start rather than loaded from a file.
#pragma once

#include "ui/wx_headers.h"

namespace zeltlog::ui {

wxBitmap AppIconBitmap(int size);
wxIconBundle AppIcons();

}  // namespace zeltlog::ui
