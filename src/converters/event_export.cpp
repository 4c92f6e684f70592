#include "converters/event_export.h"

#include "core/output_names.h"
#include "core/text_format.h"

namespace zeltlog {

bool EventListWriter::Open(const std::string& path, std::string* error) {
  count_ = 0;
  if (!file_.Create(path, OutputFile::Mode::Text, error)) return false;
  file_.Write(kEventListHeader);
  return true;
}

bool EventListWriter::OpenRaw(const std::string& path, std::string* error) {
  count_ = 0;
  return file_.Create(path, OutputFile::Mode::Binary, error);
}

void EventListWriter::Add(std::string_view line) {
  file_.Write(line);
  file_.Write("\n");
  ++count_;
}

bool EventListWriter::Close(std::string* error) { return file_.Close(error); }

bool ExportEventList(ConversionSession& session, const EventStore& events) {
  const std::string path = JoinPath(session.lastChosenFolder, kEventExportFileName);
  EventListWriter writer;
  if (!writer.Open(path)) {
    session.desktop.ShowMessage("DATA.DAT not opened");
    return false;
  }
  for (size_t i = 0; i < events.size(); ++i) writer.Add(events.line(i));
  if (!writer.Close()) {
    session.desktop.ShowMessage("DATA.DAT not opened");
    return false;
  }
  session.desktop.ShowMessage(Format("DATA.DAT Closed, count %d", {writer.count()}));
  session.desktop.Beep();
  return true;
}

}  // namespace zeltlog
