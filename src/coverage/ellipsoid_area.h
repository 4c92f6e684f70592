// True ground areas and distances on the WGS-84 ellipsoid for figures
// given in degrees. A ring's edges are taken as straight lines in longitude
// and latitude, which for the edges of a sprayed strip (metres to a few
// hundred metres) differs from the geodesic by far less than the 0.1 % a
// report needs; the area under each edge is integrated exactly with the
// ellipsoid's authalic function, so there is no projection and no zone.
#pragma once

#include <cstddef>

#include "coverage/lonlat_geometry.h"

namespace zeltlog {

// Square metres enclosed by a ring, positive when it runs counter-clockwise
// (east, then north). The ring may or may not repeat its first point.
double SignedRingArea(const LonLat* points, size_t count);
double RingArea(const LonLatRing& ring);
// The same for a ring a few hundred metres across at most (a swath quad),
// from the area element at its mean latitude: cheaper, and within a part
// in a billion of the above at that size.
double SignedSmallRingArea(const LonLat* points, size_t count);
// Outer rings less their holes, in square metres.
double PolygonArea(const LonLatPolygon& polygon);
double MultiPolygonArea(const LonLatMultiPolygon& polygons);

// Metres between two nearby points, from the ellipsoid's radii of
// curvature at their middle latitude (exact to a few parts per million for
// the steps between fixes).
double StepDistance(LonLat from, LonLat to);

}  // namespace zeltlog
