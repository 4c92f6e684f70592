#include "decoders/position.h"

#include <cmath>

#include "decoders/payload.h"
#include "kml/track_writer.h"

namespace zeltlog {
namespace {

void TakeTimestamp(ConversionSession& s) {
  s.projector.UnpackTimestamp(payload::At(s, 0));
  s.currentTime = s.projector.TimeOfDay();
}

}  // namespace

bool IsPlausibleFix(double latitude, double longitude) {
  // A fix that is not a number at all fails every comparison below; it is
  // no fix either.
  if (std::isnan(latitude) || std::isnan(longitude)) return false;
  if (latitude > 90.0) return false;
  if (latitude < -90.0) return false;
  if (longitude > 360.0) return false;
  if (longitude < -180.0) return false;
  if (std::fabs(latitude) < 0.0000001) return false;
  if (std::fabs(longitude) < 0.0000001) return false;
  return true;
}

int DecodePosition1(ConversionSession& s, int mode) {
  s.positionFormatLabel = "POS1";
  s.currentLatitude = payload::F64(s, 5);
  s.currentLongitude = payload::F64(s, 13);
  if (!IsPlausibleFix(s.currentLatitude, s.currentLongitude)) return 0;
  s.currentAltitude = payload::F32(s, 21);
  s.currentHeading = payload::F32(s, 29);
  s.currentSpeed = payload::F32(s, 25);
  s.sprayState = payload::U8(s, 38) & 0x03;
  s.auxiliaryValue = payload::F32(s, 33);
  s.auxiliaryCount = payload::U8(s, 37);
  TakeTimestamp(s);
  if (mode == kPositionPrescan) return 1;
  WriteTrackPoint(s, 1);
  return 1;
}

int DecodePosition2(ConversionSession& s, int mode) {
  s.positionFormatLabel = "POS2";
  s.currentLatitude = payload::U32(s, 5) * 0.0000001 - 210.0;
  s.currentLongitude = payload::U32(s, 9) * 0.0000001 - 210.0;
  s.currentAltitude = payload::U16(s, 13) * 0.125 - 2500.0;
  s.currentHeading = payload::U16(s, 15) * 0.0078125;
  if (!IsPlausibleFix(s.currentLatitude, s.currentLongitude)) return 0;
  s.currentSpeed = 0.0;
  s.auxiliaryValue = 0.0;
  s.auxiliaryCount = 0.0;
  s.sprayState = payload::U8(s, 17) & 0x03;
  TakeTimestamp(s);
  if (mode == kPositionPrescan) return 1;
  WriteTrackPoint(s, 2);
  return 1;
}

}  // namespace zeltlog
