#pragma once

#include <cstddef>
#include <span>
#include <vector>

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

// The same walk for several distances from one origin: each arc-second's
// length is worked out once and kept, so four corners cost one walk, and
// every answer is the one latitudeAlongMeridian gives.
class MeridianWalk {
public:
    MeridianWalk(int ellipsoid, double originLatitude);
    double latitudeAt(double metresNorth);
    // latitudeAt for each distance, latitudes[j] for metresNorth[j], in one
    // pass over the steps the farthest of them needs.
    void latitudesAt(std::span<const double> metresNorth, std::span<double> latitudes);

private:
    // The lengths of the arc-seconds walked so far one way, and the
    // latitude the next one starts at.
    struct Leg {
        std::vector<double> lengths;
        double next = 0.0;
    };
    double step(Leg& leg, double direction, std::size_t k) {
        if (k < leg.lengths.size()) return leg.lengths[k];
        return extend(leg, direction, k);
    }
    double extend(Leg& leg, double direction, std::size_t k);

    static constexpr std::size_t kMaxDistances = 8;
    static constexpr std::size_t kLengthBlock = 512;

    double a_ = 0.0;
    double e2_ = 0.0;
    Leg north_;
    Leg south_;
    double origin_;
};

}  // namespace hg
