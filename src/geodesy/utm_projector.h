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

#include <array>
#include <cstdint>
#include <string>

namespace zeltlog {

struct Ellipsoid {
  std::string name;
  double semiMajorAxis = 0.0;     // a, metres
  double inverseFlattening = 0.0; // 1/f
};

class UtmProjector {
 public:
  static constexpr int kWgs84Index = 22;
  static constexpr int kTableSize = 30;

  UtmProjector();
  virtual ~UtmProjector() = default;

  // Slot 0 takes entry 22 (WGS-84), slot 1 the given entry; derives the
  // eccentricity and meridian-arc coefficients of both. Returns false (and
  // changes nothing) for an index outside the table or an entry without
  // values.
  bool SelectEllipsoids(int tableIndex);
  // Sets the central meridian of the 6-degree zone holding the longitude
  // and returns the zone index, 0 to 59 counted eastwards from Greenwich.
  int SetZoneFromLongitude(double longitude);
  // Projects a point; the result is left in easting() and northing().
  void Project(double latitude, double longitude, double centralMeridian, int slot);
  // Grid metres per degree of latitude and of longitude at a point, by
  // central differences 0.0001 degree either side. Selects the ellipsoids
  // and the zone of the longitude. Returns 1.
  int ComputeGridScales(double latitude, double longitude, int tableIndex, double& metresPerDegreeLatitude,
                        double& metresPerDegreeLongitude);

  double centralMeridian() const { return centralMeridian_; }
  double easting() const { return easting_; }
  double northing() const { return northing_; }
  const Ellipsoid& entry(int index) const { return table_[static_cast<size_t>(index)]; }

  struct Slot {
    double a = 0.0, f = 0.0, e2 = 0.0, A0 = 0.0, A2 = 0.0, A4 = 0.0, A6 = 0.0;
  };
  const Slot& slot(int index) const { return slots_[static_cast<size_t>(index & 1)]; }

 private:
  static Slot Derive(const Ellipsoid& ellipsoid);

  std::array<Ellipsoid, kTableSize> table_;
  std::array<Slot, 2> slots_;
  std::array<double, 2> scaleFactor_{0.9996, 0.9996};
  double pi_ = 3.141592653589793;
  double centralMeridian_ = 0.0;
  double easting_ = 0.0;
  double northing_ = 0.0;
};

}  // namespace zeltlog
