#pragma once

namespace hg {

// 0: the ellipsoid of the USGS and NTF readers (a 6378137 m);
// 1: Bessel 1841 with a rounded to whole metres (GSI 50 m, DHM25).
void ellipsoidParams(int index, double& a, double& e2);

// Metres per arc-second of longitude and of latitude at a latitude given
// in arc-seconds.
double metresPerArcSecEW(int ellipsoid, double latitudeArcSec);
double metresPerArcSecNS(int ellipsoid, double latitudeArcSec);

}  // namespace hg
