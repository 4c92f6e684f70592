#include "ui/app_icon.h"

#include <wx/dcmemory.h>
#include <wx/iconbndl.h>

#include "ui/app_icon_shape.h"

namespace zeltlog::ui {

wxBitmap AppIconBitmap(int size) {
  wxBitmap bitmap(size, size);
  wxMemoryDC dc(bitmap);
  dc.SetPen(*wxTRANSPARENT_PEN);
  for (const IconRectangle& shape : AppIconShapes(size)) {
    dc.SetBrush(wxBrush(wxColour(shape.red, shape.green, shape.blue)));
    dc.DrawRectangle(shape.x, shape.y, shape.width, shape.height);
  }
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

wxIconBundle AppIcons() {
  wxIconBundle icons;
  for (int size : {16, 32, 48}) {
    wxIcon icon;
    icon.CopyFromBitmap(AppIconBitmap(size));
    icons.AddIcon(icon);
  }
  return icons;
}

}  // namespace zeltlog::ui
