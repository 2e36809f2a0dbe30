// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "render/surface_arrays.h"

namespace {

// A 3 x 3 grid tilted up toward +x, its four cell centres built.
std::vector<float> tiltedGrid() {
    std::vector<float> v;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) v.insert(v.end(), {float(j), float(j) * 0.5f, float(i)});
    v.resize(v.size() + 4 * 3);
    hg::buildCellCentres(v, 3, 3);
    return v;
}

TEST(SurfaceArrays, OneOrderStaysPutAndEightOrdersFollowTheTurn) {
    hg::SurfaceArrays one;
    one.buildIndices(3, 3);
    EXPECT_EQ(one.numIndices(), 4u * 12u);
    // Only order 0 exists: no angle may switch to an empty list.
    for (double a : {-30.0, -100.0, 170.0, 60.0}) {
        one.pickOrderFor(a);
        EXPECT_EQ(&one.drawIndices(), &one.indexOrder(0)) << a;
    }

    hg::SurfaceArrays eight;
    eight.buildIndexOrders(3, 3);
    for (double a : {-30.0, -60.0, -100.0, -170.0, 170.0, 100.0, 60.0, 30.0}) {
        eight.pickOrderFor(a);
        EXPECT_EQ(&eight.drawIndices(), &eight.indexOrder(hg::indexOrderForAngle(a))) << a;
        EXPECT_EQ(eight.numIndices(), 4u * 12u);
    }
}

TEST(SurfaceArrays, BlendAtAQuarterTurnIsThatSet) {
    const std::vector<float> v = tiltedGrid();
    hg::SurfaceArrays s;
    s.buildNormalSets(v, 3, 3, 2.0);
    ASSERT_EQ(s.normals().size(), v.size());
    const double turns[] = {0.0, -90.0, -180.0, 90.0};
    for (std::size_t k = 0; k < 4; ++k) {
        s.blendFor(turns[k]);
        for (std::size_t n = 0; n < v.size(); ++n) {
            EXPECT_NEAR(s.normals()[n], s.normalSets()[k][n], 1e-6)
                << "set " << k << " entry " << n;
        }
    }
}

}  // namespace
