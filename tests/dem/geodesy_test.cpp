#include "dem/geodesy.h"

#include <gtest/gtest.h>

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

}  // namespace
