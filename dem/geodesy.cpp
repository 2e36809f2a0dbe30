#include "dem/geodesy.h"

#include <cmath>

namespace hg {

namespace {
constexpr double kRadiansPerArcSec = 4.84813681095679e-6;
}

void ellipsoidParams(int index, double& a, double& e2) {
    if (index == 0) {
        a = 6378137.0;
        e2 = 0.006694380002756625;
    } else if (index == 1) {
        a = 6377397.0;
        e2 = 0.006674372227347433;
    }
}

double metresPerArcSecEW(int ellipsoid, double latitudeArcSec) {
    double a = 0.0, e2 = 0.0;
    ellipsoidParams(ellipsoid, a, e2);
    double phi = latitudeArcSec * kRadiansPerArcSec;
    double s = std::sin(phi);
    return a * std::cos(phi) * 0.017453292519444445 / std::sqrt(1.0 - e2 * s * s) *
           0.0002777777777777778;
}

double metresPerArcSecNS(int ellipsoid, double latitudeArcSec) {
    double a = 0.0, e2 = 0.0;
    ellipsoidParams(ellipsoid, a, e2);
    double phi = latitudeArcSec * kRadiansPerArcSec;
    double s = std::sin(phi);
    return (1.0 - e2) * a * kRadiansPerArcSec / std::pow(1.0 - e2 * s * s, 1.5);
}

double latitudeAlongMeridian(int ellipsoid, double originLatitude, double metresNorth) {
    double phi = originLatitude;
    if (metresNorth == 0.0) return phi;
    double d = metresNorth;
    double m = 1.0;
    if (d > 0.0) {
        do {
            m = metresPerArcSecNS(ellipsoid, phi);
            phi += 1.0;
            d -= m;
        } while (d > 0.0);
    } else {
        do {
            m = metresPerArcSecNS(ellipsoid, phi);
            phi -= 1.0;
            d += m;
        } while (d < 0.0);
    }
    return phi + d / m;
}

}  // namespace hg
