// The two fan-outs of a pass: one hands every record callback, the other
// every geometry callback, to each of its subscribers in the order they
// subscribed. A fan-out is made whole from its list and never changes; the
// pass's stages (pipeline/pass_stages.h) own both.
#pragma once

#include <vector>

#include "geometry/geometry_handler.h"
#include "records/record_handler.h"

namespace zeltlog {

class RecordFanout final : public RecordHandler {
 public:
  explicit RecordFanout(std::vector<RecordHandler*> handlers) : handlers_(std::move(handlers)) {}

  // Every callback of records/record_kinds.h, forwarded.
#define ZELTLOG_FORWARD(Callback, Parameter) \
  void Callback(Parameter v) override {      \
    for (RecordHandler* handler : handlers_) handler->Callback(v); \
  }
#define ZELTLOG_FORWARD_KIND(Id, identifier, name, minimum, Type, Callback, Decoder) ZELTLOG_FORWARD(Callback, const Type&)
  ZELTLOG_FRAMING_CALLBACKS(ZELTLOG_FORWARD)
  ZELTLOG_RECORD_KINDS(ZELTLOG_FORWARD_KIND, ZELTLOG_NO_ROW, ZELTLOG_NO_ROW)
#undef ZELTLOG_FORWARD_KIND
#undef ZELTLOG_FORWARD

 private:
  std::vector<RecordHandler*> handlers_;
};

class GeometryFanout final : public GeometryHandler {
 public:
  explicit GeometryFanout(std::vector<GeometryHandler*> handlers) : handlers_(std::move(handlers)) {}

  void OnGridReference(const GridReference& v) override {
    for (GeometryHandler* handler : handlers_) handler->OnGridReference(v);
  }
  void OnTimeGap(const TimeGap& v) override {
    for (GeometryHandler* handler : handlers_) handler->OnTimeGap(v);
  }
  void OnPathPoint(const PathPoint& v) override {
    for (GeometryHandler* handler : handlers_) handler->OnPathPoint(v);
  }
  void OnQuad(const SwathQuad& v) override {
    for (GeometryHandler* handler : handlers_) handler->OnQuad(v);
  }

 private:
  std::vector<GeometryHandler*> handlers_;
};

}  // namespace zeltlog
