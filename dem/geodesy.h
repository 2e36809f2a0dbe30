#pragma once

namespace hg {

// 0: the ellipsoid of the USGS and NTF readers (a 6378137 m);
// 1: Bessel 1841 with a rounded to whole metres (GSI 50 m, DHM25).
void ellipsoidParams(int index, double& a, double& e2);

// Metres per arc-second of longitude and of latitude at a latitude given
// in arc-seconds.
double metresPerArcSecEW(int ellipsoid, double latitudeArcSec);
double metresPerArcSecNS(int ellipsoid, double latitudeArcSec);

// The latitude (arc-seconds) that lies metresNorth along the meridian from
// originLatitude (south when negative), walked one arc-second at a time
// with the overshoot of the last step taken back as a fraction of it. The
// walk is as long as the distance: callers bound it first.
double latitudeAlongMeridian(int ellipsoid, double originLatitude, double metresNorth);

}  // namespace hg
