#include "core/session.h"

#include "core/output_names.h"
#include "kml/templates.h"

namespace zeltlog {

ConversionSession::ConversionSession(Platform& p) : platform(p) { kml::BuildQuadPolygonOpen(quadPolygonOpen, 0); }

void ResetSession(ConversionSession& s) {
  s.headerText = "Version: ";
  s.goodRecordCount = 0;
  s.markPlacemarkText.clear();
  s.quadPolygonText.clear();
  kml::BuildQuadPolygonOpen(s.quadPolygonOpen, 0);
  s.tankFirst = s.tankCurrent = s.tankUsed = 0.0;
  s.tankFirstPending = 1;
  s.desiredFlowRate = 0.0;
  s.currentTargetRate = 0.0;
  s.currentActualRate = 0.0;
  s.trackingLogOpen = 0;
  s.versionText.clear();
  s.createdText.clear();
  s.shortValue = 0;
  s.rstdev = 0.0;

  TrackWriterState& t = s.track;
  t.quadRingCounter = 0;
  t.previousFixTime = 0.0;
  t.swathDirection = 0.0;
  t.previousSwathDirection = 0.0;
  t.watchdogCounter = 0;
  t.lastRightOffset = 0.0;
  t.lastLeftOffset = 0.0;
  s.leftEdgeOffset = 0.0;
  s.rightEdgeOffset = 0.0;
}

void SetRangeSentinels(ConversionSession& s) {
  s.latitudeMax = -90.0;
  s.latitudeMin = 90.0;
  s.longitudeMax = -180.0;
  s.longitudeMin = 180.0;
  s.altitudeMax = -1000.0;
  s.altitudeMin = 20000.0;
  s.targetRateMax = -1000.0;
  s.targetRateMin = 2000.0;
  s.actualRateMax = -1000.0;
  s.actualRateMin = 2000.0;
}

std::optional<std::string> ChooseFileAndRememberFolder(ConversionSession& s, std::string_view filter,
                                                       std::string_view defaultExtension) {
  auto chosen = s.platform.ChooseFile(filter, defaultExtension);
  if (chosen) s.lastChosenFolder = FolderOf(*chosen);
  return chosen;
}

}  // namespace zeltlog
