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
    return MeridianWalk(ellipsoid, originLatitude).latitudeAt(metresNorth);
}

double MeridianWalk::extend(Leg& leg, double direction, std::size_t k) {
    // Latitudes advance by adding one arc-second at a time, exactly as a
    // single walk steps, so every cached length is the one it would use.
    while (leg.lengths.size() <= k) {
        leg.lengths.push_back(metresPerArcSecNS(ellipsoid_, leg.next));
        leg.next += direction;
    }
    return leg.lengths[k];
}

double MeridianWalk::latitudeAt(double metresNorth) {
    double phi = origin_;
    if (metresNorth == 0.0) return phi;
    const bool northward = metresNorth > 0.0;
    Leg& leg = northward ? north_ : south_;
    const double direction = northward ? 1.0 : -1.0;
    // A guess at the steps ahead saves the cache from growing bit by bit.
    const double expected = std::fabs(metresNorth) / 30.0 + 16.0;
    if (expected < 1e8) leg.lengths.reserve(static_cast<std::size_t>(expected));
    double d = metresNorth;
    double m = 1.0;
    std::size_t k = 0;
    if (northward) {
        do {
            m = step(leg, direction, k++);
            phi += 1.0;
            d -= m;
        } while (d > 0.0);
    } else {
        do {
            m = step(leg, direction, k++);
            phi -= 1.0;
            d += m;
        } while (d < 0.0);
    }
    return phi + d / m;
}

}  // namespace hg
