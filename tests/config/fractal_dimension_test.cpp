// SPDX-License-Identifier: MIT
#include "config/fractal_dimension.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// A numCols x numRows grid 10 units apart with heights h(r, c) stored the
// way the drawing keeps them: (h + offset) * factor.
template <typename Height>
std::vector<float> grid(int cols, int rows, float factor, float offset, Height h) {
    std::vector<float> v;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            v.push_back(c * 10.0f);
            v.push_back((static_cast<float>(h(r, c)) + offset) * factor);
            v.push_back(r * 10.0f);
        }
    }
    // Room for the cell centres, which the estimate must not read.
    v.resize(v.size() + static_cast<std::size_t>(cols - 1) * (rows - 1) * 3, 1e30f);
    return v;
}

}  // namespace

TEST(FractalDimension, APlaneGivesTwoAndRoughGroundMore) {
    // Plane heights restored from a factor and offset, flat and sloping.
    auto flat = grid(9, 13, 1.4f, -120.0f, [](int, int) { return 250.0; });
    EXPECT_EQ(hg::formatFractalDimension(hg::fractalDimension(flat, 9, 13, 1.4, -120.0)), "2.0000");
    auto slope = grid(17, 5, 0.5f, 0.0f, [](int r, int c) { return 3.0 * c + 2.0 * r; });
    const auto d = hg::fractalDimension(slope, 17, 5, 0.5, 0.0);
    ASSERT_TRUE(d);
    EXPECT_NEAR(*d, 2.0, 1e-9);
    // A checkerboard of spikes is rough at the fine step and nearly flat at
    // the coarse one: more than two.
    auto rough = grid(17, 17, 1.0f, 0.0f, [](int r, int c) { return ((r + c) % 2) * 5.0; });
    const auto dr = hg::fractalDimension(rough, 17, 17, 1.0, 0.0);
    ASSERT_TRUE(dr);
    EXPECT_GT(*dr, 2.0);
    EXPECT_LT(*dr, 3.0);
}

TEST(FractalDimension, CoarseAreaHalfTheFineGivesFour) {
    // On a plane both steps measure the same 40 x 40 square.
    auto plane = grid(5, 5, 1.0f, 0.0f, [](int, int) { return 0.0; });
    const double a1 = hg::surfaceArea(plane, 5, 5, 1, 1.0f, 0.0f);
    const double a4 = hg::surfaceArea(plane, 5, 5, 4, 1.0f, 0.0f);
    EXPECT_DOUBLE_EQ(a1, 1600.0);
    EXPECT_DOUBLE_EQ(a4, 1600.0);
    // Rows that alternate between 0 and 10 sqrt(3) make every fine cell a
    // 10 x 20 slope, while the coarse cell, from row 0 to row 4, lies flat.
    const double h = 10.0 * std::sqrt(3.0);
    auto zig = grid(5, 5, 1.0f, 0.0f, [h](int r, int) { return (r % 2) * h; });
    const double z1 = hg::surfaceArea(zig, 5, 5, 1, 1.0f, 0.0f);
    const double z4 = hg::surfaceArea(zig, 5, 5, 4, 1.0f, 0.0f);
    EXPECT_NEAR(z4 / z1, 0.5, 1e-6);
    const auto d = hg::fractalDimension(zig, 5, 5, 1.0, 0.0);
    ASSERT_TRUE(d);
    EXPECT_EQ(hg::formatFractalDimension(d), "4.0000");
}

TEST(FractalDimension, TooSmallOrDegenerateGridsShowADash) {
    // Four vertices a side hold no step-4 cell.
    auto small = grid(4, 30, 1.0f, 0.0f, [](int r, int c) { return r * c; });
    EXPECT_FALSE(hg::fractalDimension(small, 4, 30, 1.0, 0.0));
    EXPECT_EQ(hg::formatFractalDimension(hg::fractalDimension(small, 4, 30, 1.0, 0.0)), "-");
    auto tall = grid(30, 4, 1.0f, 0.0f, [](int r, int c) { return r * c; });
    EXPECT_FALSE(hg::fractalDimension(tall, 30, 4, 1.0, 0.0));
    // All vertices in one place: no area at either step.
    std::vector<float> point(9 * 9 * 3 + 8 * 8 * 3, 0.0f);
    EXPECT_FALSE(hg::fractalDimension(point, 9, 9, 1.0, 0.0));
    // A zero altitude factor turns every height into infinity or NaN.
    auto any = grid(9, 9, 1.0f, 0.0f, [](int r, int c) { return r + c; });
    EXPECT_FALSE(hg::fractalDimension(any, 9, 9, 0.0, 0.0));
    // A vertex array shorter than the grid it claims is not read past.
    EXPECT_FALSE(hg::fractalDimension(std::vector<float>(10, 1.0f), 9, 9, 1.0, 0.0));
    // A bound object that has drawn nothing has no figure.
    hg::CFractalDimension none;
    EXPECT_FALSE(none.estimate());
}

TEST(FractalDimension, CellsAreSplitOnTheDiagonalFromTheirFirstCorner) {
    // A ridge 10 high through (0,1), (1,2), (2,3) of a 5 x 5 grid 10 apart
    // runs beside the split diagonals, so the other diagonal measures more.
    // A triangle with one corner raised: 50 sqrt(3) (its edges 10 sqrt(2)
    // and 10 sqrt(2) from the raised corner, 10 sqrt(2) across); with the
    // raised corner where both triangles meet it twice: 50 sqrt(2) each
    // (legs 10 and 10 sqrt(2) at a right angle); both ends of the diagonal
    // raised: 50 sqrt(3) each. Per cell (row, column), flat halves 50:
    //   (0,0) (0,2) (1,1) (1,3) (2,2)  one end off the diagonal  50 + 50 sqrt(3)
    //   (0,1) (1,2)                    both diagonal ends        100 sqrt(3)
    //   (2,3)                          the first corner alone    100 sqrt(2)
    //   eight flat cells                                         800
    // A1 = 1050 + 450 sqrt(3) + 100 sqrt(2) = 1970.8442...; A4 = 40 x 40 =
    // 1600, the coarse cell's corners being flat. Split the other way, A1
    // would be 1990.1195.
    const std::vector<std::pair<int, int>> ridge = {{0, 1}, {1, 2}, {2, 3}};
    auto v = grid(5, 5, 2.0f, 5.0f, [&](int r, int c) {
        return std::find(ridge.begin(), ridge.end(), std::pair{r, c}) != ridge.end() ? 10.0 : 0.0;
    });
    const double a1 = 1050.0 + 450.0 * std::sqrt(3.0) + 100.0 * std::sqrt(2.0);
    EXPECT_NEAR(hg::surfaceArea(v, 5, 5, 1, 2.0f, 5.0f), a1, 1e-3);
    EXPECT_NEAR(hg::surfaceArea(v, 5, 5, 4, 2.0f, 5.0f), 1600.0, 1e-3);
    // D = 2 / (1 + log4(1600 / 1970.8443)) = 2.35397
    const auto d = hg::fractalDimension(v, 5, 5, 2.0, 5.0);
    ASSERT_TRUE(d);
    EXPECT_NEAR(*d, 2.0 / (1.0 + std::log(1600.0 / a1) / std::log(4.0)), 1e-6);
    EXPECT_EQ(hg::formatFractalDimension(d), "2.3540");
}
