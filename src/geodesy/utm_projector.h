// Reference ellipsoids and a Transverse Mercator projection with UTM
// parameters (scale 0.9996 on the central meridian, false easting
// 500 000 m, false northing 10 000 000 m south of the equator).
//
// Units: latitudes and longitudes in decimal degrees (north and east
// positive; longitudes may be given from -180 to 360), eastings, northings
// and semi-major axes in metres.
//
// Accuracy and limits: the series is truncated after its second term in
// each coordinate. Within the 6-degree zone of the central meridian it
// agrees with the full series to a few millimetres at mid latitudes; it
// degrades with distance from the central meridian (decimetres at 3 degrees
// off, metres beyond a zone's width) and is not meant for the poles.
#pragma once

#include <string_view>

namespace zeltlog {

struct Ellipsoid {
  std::string_view name;
  double semiMajorAxis = 0.0;      // a, metres
  double inverseFlattening = 0.0;  // 1/f
};

inline constexpr Ellipsoid kWgs84{"WGS-84", 6378137.0, 298.257223563};
inline constexpr Ellipsoid kAiry{"AIRY", 6377563.396, 299.3249646};
inline constexpr Ellipsoid kClarke1866{"CLARKE-1866", 6378206.4, 294.9786982};
inline constexpr Ellipsoid kClarke1880{"CLARKE-1880", 6378249.145, 293.465};

// A projected point, metres.
struct GridPoint {
  double easting = 0.0, northing = 0.0;
};

// Grid metres per degree of latitude and of longitude at a point.
struct GridScales {
  double metresPerDegreeLatitude = 0.0, metresPerDegreeLongitude = 0.0;
};

// The projection of one zone on one ellipsoid: a value, made once (the
// ellipsoid's derived coefficients are computed then) and only read after.
class UtmProjector {
 public:
  // The projection of the 6-degree zone holding `longitude`.
  explicit UtmProjector(double longitude, const Ellipsoid& ellipsoid = kWgs84);

  // The zone holding a longitude, 0 to 59 counted eastwards from Greenwich
  // (a longitude far outside any zone, or not a number, takes zone 0).
  static int ZoneOf(double longitude);

  int zone() const { return zone_; }
  double centralMeridian() const { return centralMeridian_; }

  GridPoint Project(double latitude, double longitude) const;
  // By central differences 0.0001 degree either side of the point.
  GridScales GridScalesAt(double latitude, double longitude) const;

 private:
  // The ellipsoid's coefficients: eccentricity squared and the meridian
  // arc's series.
  double a_, e2_, A0_, A2_, A4_, A6_;
  int zone_;
  double centralMeridian_;
};

}  // namespace zeltlog
