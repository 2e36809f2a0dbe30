// SPDX-License-Identifier: MIT
#include "dem/geodesy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Published figures for the two ellipsoids; a wrong constant or a degree /
// radian mix-up moves them by metres, not by the last digit.
TEST(Geodesy, MetresPerArcSecondAtKnownLatitudes) {
    const double lat35 = 35.0 * 3600.0;
    EXPECT_NEAR(hg::metresPerArcSecEW(1, lat35), 25.3548, 5e-5);
    EXPECT_NEAR(hg::metresPerArcSecNS(1, lat35), 30.8136, 5e-5);
    EXPECT_NEAR(hg::metresPerArcSecEW(0, 0.0), 30.9221, 5e-5);
}

TEST(Geodesy, EllipsoidsDifferAndLatitudeShrinksLongitude) {
    EXPECT_NE(hg::metresPerArcSecEW(0, 0.0), hg::metresPerArcSecEW(1, 0.0));
    EXPECT_LT(hg::metresPerArcSecEW(0, 60.0 * 3600.0), hg::metresPerArcSecEW(0, 0.0) * 0.51);
    // A degree of latitude grows toward the poles.
    EXPECT_GT(hg::metresPerArcSecNS(0, 60.0 * 3600.0), hg::metresPerArcSecNS(0, 0.0));
}

// The walk as it steps, one arc-second at a time, written out here so the
// shared walk can be held to it.
double steppedLatitude(int ellipsoid, double phi, double d) {
    if (d == 0.0) return phi;
    double m = 1.0;
    const double dir = d > 0.0 ? 1.0 : -1.0;
    while (true) {
        m = hg::metresPerArcSecNS(ellipsoid, phi);
        phi += dir;
        d -= dir * m;
        if (dir * d <= 0.0) break;
    }
    return phi + d / m;
}

TEST(Geodesy, OneWalkServesManyDistancesExactly) {
    // A degree of latitude from the equator is 110574 m on this ellipsoid.
    EXPECT_NEAR(hg::latitudeAlongMeridian(0, 0.0, 110574.0), 3600.0, 0.05);
    for (int ellipsoid : {0, 1}) {
        hg::MeridianWalk walk(ellipsoid, 169028.66);
        // Out of order, both ways, repeated: each as its own walk gives it.
        for (double d : {4183000.5, -1234.25, 30.0, 4181234.0, 0.0, -250000.0, 4183000.5, 1e-9}) {
            EXPECT_EQ(walk.latitudeAt(d), steppedLatitude(ellipsoid, 169028.66, d))
                << ellipsoid << " " << d;
            EXPECT_EQ(hg::latitudeAlongMeridian(ellipsoid, 169028.66, d),
                      steppedLatitude(ellipsoid, 169028.66, d));
        }
        // In one batch, more of them than go side by side, and NaN.
        const std::vector<double> batch{4183000.5, -1234.25, 30.0,  4181234.0, 0.0, -250000.0,
                                        4183000.5, 1e-9,     777.0, -3.5,      NAN};
        std::vector<double> latitudes(batch.size());
        hg::MeridianWalk(ellipsoid, 169028.66).latitudesAt(batch, latitudes);
        for (std::size_t j = 0; j + 1 < batch.size(); ++j) {
            EXPECT_EQ(latitudes[j], steppedLatitude(ellipsoid, 169028.66, batch[j])) << batch[j];
        }
        EXPECT_TRUE(std::isnan(latitudes.back()));
    }
}

// The length of an arc-second of latitude as the formula reads, with pow.
// The reader computes it another way, and every walk's result hangs on
// each step's last bit, so the two must agree exactly at every latitude a
// walk steps on: from the equator (USGS quads), from the Swiss and the
// British origins, out to 2e7 m either way.
TEST(Geodesy, MeridianStepsEqualThePowFormulaAtEveryStepWalked) {
    constexpr double kRadiansPerArcSec = 4.84813681095679e-6;
    struct Origin {
        int ellipsoid;
        double latitude;
    };
    for (const Origin& o : {Origin{0, 0.0}, Origin{1, 169028.66}, Origin{0, 176400.0}}) {
        double a = 0.0, e2 = 0.0;
        hg::ellipsoidParams(o.ellipsoid, a, e2);
        for (const double direction : {1.0, -1.0}) {
            int differing = 0;
            double phi = o.latitude;
            for (int k = 0; k < 660000; ++k, phi += direction) {
                const double s = std::sin(phi * kRadiansPerArcSec);
                const double expected =
                    (1.0 - e2) * a * kRadiansPerArcSec / std::pow(1.0 - e2 * s * s, 1.5);
                if (hg::metresPerArcSecNS(o.ellipsoid, phi) != expected && ++differing <= 3) {
                    ADD_FAILURE() << "ellipsoid " << o.ellipsoid << " at " << phi;
                }
            }
            EXPECT_EQ(differing, 0) << o.ellipsoid << " " << o.latitude << " " << direction;
        }
    }
}

}  // namespace
