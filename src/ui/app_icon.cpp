#include "ui/app_icon.h"

#include <wx/dcmemory.h>
#include <wx/iconbndl.h>

namespace zeltlog::ui {

wxBitmap AppIconBitmap(int size) {
  wxBitmap bitmap(size, size);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(wxBrush(wxColour(46, 96, 40)));
  dc.Clear();
  // Three swaths, the middle one still to spray.
  const int stripe = size / 4;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(wxColour(120, 190, 80)));
  dc.DrawRectangle(stripe / 2, 0, stripe, size);
  dc.DrawRectangle(size - stripe / 2 - stripe, 0, stripe, size);
  // The flight path: up one run, across, down the next.
  dc.SetPen(wxPen(wxColour(230, 30, 30), std::max(1, size / 16)));
  const int left = stripe, right = size - stripe, top = size / 8, bottom = size - size / 8;
  dc.DrawLine(left, bottom, left, top);
  dc.DrawLine(left, top, right, top);
  dc.DrawLine(right, top, right, bottom);
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
