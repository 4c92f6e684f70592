#include "ui/event_list_view.h"

#include "ui/wx_text.h"

namespace zeltlog::ui {

EventListView::EventListView(wxWindow* parent, int id, const EventStore& store, const wxPoint& position,
                             const wxSize& size)
    : wxListCtrl(parent, id, position, size, wxLC_REPORT | wxLC_VIRTUAL | wxLC_NO_HEADER | wxLC_SINGLE_SEL),
      store_(store) {
  AppendColumn(wxEmptyString, wxLIST_FORMAT_LEFT, GetClientSize().x);
  Bind(wxEVT_SIZE, &EventListView::OnSize, this);
}

void EventListView::Sync() {
  const long count = static_cast<long>(store_.size());
  if (GetItemCount() != count) SetItemCount(count);
  // Lines may have been replaced by as many others: show them anew.
  Refresh();
}

wxString EventListView::OnGetItemText(long item, long) const {
  if (item < 0 || static_cast<size_t>(item) >= store_.size()) return {};
  return FromWindows1252(store_.line(static_cast<size_t>(item)));
}

void EventListView::OnSize(wxSizeEvent& event) {
  // One column as wide as the list, as a list box shows its lines.
  SetColumnWidth(0, GetClientSize().x);
  event.Skip();
}

}  // namespace zeltlog::ui
