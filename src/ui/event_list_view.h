// The event list: a virtual list over the event store. Only the rows on
// screen are ever turned into text, so a list of millions of lines shows at
// once and scrolls without delay. Lines show as Windows-1252.
#pragma once

#include "core/event_store.h"
#include "ui/wx_headers.h"

namespace zeltlog::ui {

class EventListView : public wxListCtrl {
 public:
  EventListView(wxWindow* parent, int id, const EventStore& store, const wxPoint& position, const wxSize& size);

  // Takes the store's current lines.
  void Sync();

 protected:
  wxString OnGetItemText(long item, long column) const override;

 private:
  void OnSize(wxSizeEvent& event);

  const EventStore& store_;
};

}  // namespace zeltlog::ui
