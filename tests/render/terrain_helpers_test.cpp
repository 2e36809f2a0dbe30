// SPDX-License-Identifier: MIT
#include "render/terrain_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/message_error.h"
#include "support/message_id_print.h"

namespace {

using hg::MessageId;

using hg::GridView;
using hg::Vec3;

// cols x rows vertices 10 m apart, centred, with room for the centres.
std::vector<float> makeGrid(int cols, int rows, float (*height)(int i, int j)) {
    std::vector<float> v(
        (static_cast<std::size_t>(cols) * rows + static_cast<std::size_t>(cols - 1) * (rows - 1)) *
        3);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            float* p = &v[(static_cast<std::size_t>(i) * cols + j) * 3];
            p[0] = -5.0f * (cols - 1) + 10.0f * j;
            p[1] = height(i, j);
            p[2] = -5.0f * (rows - 1) + 10.0f * i;
        }
    }
    return v;
}

float flat(int, int) {
    return 7.0f;
}
// A ramp rising toward +x (east): its faces lean toward -x.
float eastRamp(int, int j) {
    return 4.0f * static_cast<float>(j);
}
// Irregular enough that every face differs from its neighbours.
float bumpy(int i, int j) {
    return static_cast<float>(std::sin(i * 1.3 + j * 0.7) * 6.0 + std::cos(j * 2.1) * 3.0);
}

void expectVec(const Vec3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

float lengthOf(const float* n) {
    return std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
}

TEST(TerrainHelpers, TwoByTwoGridHasOneCentreAndTwelveIndices) {
    auto v = makeGrid(2, 2, [](int i, int j) { return static_cast<float>(i * 10 + j * 4); });
    hg::buildCellCentres(v, 2, 2);
    // The centre is the mean of the four corners.
    EXPECT_FLOAT_EQ(v[12], 0.0f);
    EXPECT_FLOAT_EQ(v[13], (0 + 4 + 10 + 14) / 4.0f);
    EXPECT_FLOAT_EQ(v[14], 0.0f);
    // m, p0, p1, m, p1, p2, m, p2, p3, m, p3, p0 with p0 = (0,0), p1 = (1,0),
    // p2 = (1,1), p3 = (0,1) and m the centre after the four corners.
    const std::vector<std::uint32_t> want = {4, 0, 2, 4, 2, 3, 4, 3, 1, 4, 1, 0};
    for (int order = 0; order < 8; ++order) EXPECT_EQ(hg::buildIndexList(2, 2, order), want);
}

TEST(TerrainHelpers, IndexOrdersVisitEveryCellOnceInTheirTraversal) {
    const int cols = 4, rows = 3;  // 3 x 2 cells
    auto firstCorner = [&](const std::vector<std::uint32_t>& list, std::size_t cell) {
        const std::uint32_t p0 = list[cell * 12 + 1];
        return std::pair<int, int>(static_cast<int>(p0) / cols, static_cast<int>(p0) % cols);
    };
    // (row, column) of the first, second and last cell drawn by each order.
    const std::pair<int, int> first[8] = {{0, 0}, {0, 0}, {1, 0}, {1, 0},
                                          {1, 2}, {1, 2}, {0, 2}, {0, 2}};
    const std::pair<int, int> second[8] = {{0, 1}, {1, 0}, {0, 0}, {1, 1},
                                           {1, 1}, {0, 2}, {1, 2}, {0, 1}};
    const std::pair<int, int> last[8] = {{1, 2}, {1, 2}, {0, 2}, {0, 2},
                                         {0, 0}, {0, 0}, {1, 0}, {1, 0}};
    for (int order = 0; order < 8; ++order) {
        SCOPED_TRACE(order);
        auto list = hg::buildIndexList(cols, rows, order);
        ASSERT_EQ(list.size(), 12u * 6);
        EXPECT_EQ(firstCorner(list, 0), first[order]);
        EXPECT_EQ(firstCorner(list, 1), second[order]);
        EXPECT_EQ(firstCorner(list, 5), last[order]);
        std::vector<int> seen(6, 0);
        for (std::size_t c = 0; c < 6; ++c) {
            auto [i, j] = firstCorner(list, c);
            ++seen[static_cast<std::size_t>(i * 3 + j)];
            // The centre is the one of that cell.
            EXPECT_EQ(list[c * 12], static_cast<std::uint32_t>(cols * rows + i * 3 + j));
        }
        EXPECT_EQ(seen, std::vector<int>(6, 1));
    }
}

TEST(TerrainHelpers, FlatGridPointsUpEverywhere) {
    const int cols = 5, rows = 4;
    auto v = makeGrid(cols, rows, flat);
    hg::buildCellCentres(v, cols, rows);
    GridView g(v, cols, rows);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) expectVec(g.smoothNormal(i, j), 0, 1, 0);
    std::array<std::vector<float>, 4> sets;
    for (int k = 0; k < 4; ++k) {
        sets[static_cast<std::size_t>(k)] = hg::normalSet(v, cols, rows, k, 128.0);
        ASSERT_EQ(sets[static_cast<std::size_t>(k)].size(), g.vertexCount() * 3);
        for (std::size_t n = 0; n < g.vertexCount(); ++n) {
            expectVec({sets[k][n * 3], sets[k][n * 3 + 1], sets[k][n * 3 + 2]}, 0, 1, 0);
        }
    }
    std::vector<float> out;
    for (double a : {-180.0, -123.4, -90.0, -10.0, 0.0, 45.0, 90.0, 179.9}) {
        hg::blendNormals(out, sets, a);
        for (std::size_t n = 0; n < g.vertexCount(); ++n) {
            expectVec({out[n * 3], out[n * 3 + 1], out[n * 3 + 2]}, 0, 1, 0);
        }
    }
}

TEST(TerrainHelpers, SlopeNormalLeansDownhill) {
    auto v = makeGrid(4, 4, eastRamp);
    GridView g(v, 4, 4);
    // Rise 4 over 10 m: the normal is (-4, 10, 0) normalised, at corners,
    // edges and inside alike.
    const float len = std::sqrt(16.0f + 100.0f);
    for (auto [i, j] : {std::pair{0, 0}, {3, 3}, {0, 2}, {2, 0}, {1, 2}}) {
        expectVec(g.smoothNormal(i, j), -4 / len, 10 / len, 0);
        for (int k = 0; k < 4; ++k)
            expectVec(g.directionalNormal(i, j, k, 3.0), -4 / len, 10 / len, 0);
    }
}

TEST(TerrainHelpers, DirectionalNormalsFavourTheirQuadrant) {
    auto v = makeGrid(5, 5, bumpy);
    GridView g(v, 5, 5);
    const int i = 2, j = 2;
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const Vec3 face = g.quadrantFace(i, j, k);
        const Vec3 strong = g.directionalNormal(i, j, k, 128.0);
        const Vec3 weak = g.directionalNormal(i, j, k, 1.0);
        const Vec3 smooth = g.smoothNormal(i, j);
        // With weight 128 the favoured face all but decides.
        expectVec(strong, face.x, face.y, face.z, 0.01f);
        // With weight 1 the favoured face still counts three times.
        EXPECT_GT(std::fabs(weak.x - smooth.x) + std::fabs(weak.z - smooth.z), 1e-3f);
    }
    // An edge vertex leans toward the face on its set's side: sets 0 and 3
    // favour +z on the first column, sets 1 and 2 favour -z.
    const Vec3 plusZ = g.quadrantFace(2, 0, 0), minusZ = g.quadrantFace(2, 0, 1);
    expectVec(g.directionalNormal(2, 0, 3, 1000.0), plusZ.x, plusZ.y, plusZ.z, 0.01f);
    expectVec(g.directionalNormal(2, 0, 2, 1000.0), minusZ.x, minusZ.y, minusZ.z, 0.01f);
}

TEST(TerrainHelpers, BlendAtQuarterTurnsReturnsOneSet) {
    const int cols = 4, rows = 3;
    auto v = makeGrid(cols, rows, bumpy);
    hg::buildCellCentres(v, cols, rows);
    std::array<std::vector<float>, 4> sets;
    for (int k = 0; k < 4; ++k)
        sets[static_cast<std::size_t>(k)] = hg::normalSet(v, cols, rows, k, 2.0);
    const std::pair<double, int> cases[] = {
        {0.0, 0}, {-90.0, 1}, {-180.0, 2}, {180.0, 2}, {90.0, 3}};
    std::vector<float> out;
    for (auto [angle, set] : cases) {
        SCOPED_TRACE(angle);
        hg::blendNormals(out, sets, angle);
        ASSERT_EQ(out.size(), sets[0].size());
        for (std::size_t n = 0; n < out.size(); ++n)
            EXPECT_NEAR(out[n], sets[static_cast<std::size_t>(set)][n], 1e-6f);
    }
    // Half way between two sets every normal is still of unit length.
    hg::blendNormals(out, sets, -45.0);
    for (std::size_t n = 0; n < out.size(); n += 3) EXPECT_NEAR(lengthOf(&out[n]), 1.0f, 1e-5f);
}

TEST(TerrainHelpers, CoincidentVerticesRaiseErrorNormalized) {
    auto v = makeGrid(3, 3, flat);
    // Put (1, 1) on top of (1, 2): the face between them has no area.
    v[(1 * 3 + 1) * 3] = v[(1 * 3 + 2) * 3];
    GridView g(v, 3, 3);
    try {
        (void)g.smoothNormal(1, 1);
        FAIL() << "no error";
    } catch (const hg::MessageError& e) {
        EXPECT_EQ(e.id(), MessageId::ZeroNormal);
        EXPECT_STREQ(e.what(), "Error normalized.");
    }
    EXPECT_THROW(hg::normalize(0.0, 0.0, 0.0), hg::MessageError);
}

TEST(TerrainHelpers, GridsBelowTwoByTwoAreRefused) {
    std::vector<float> v(30, 0.0f);
    EXPECT_THROW(GridView(v, 1, 5), std::invalid_argument);
    EXPECT_THROW(GridView(v, 5, 1), std::invalid_argument);
    EXPECT_THROW(hg::buildCellCentres(v, 4, 4), std::invalid_argument);  // too short
    EXPECT_TRUE(hg::buildIndexList(1, 5, 0).empty());
}

TEST(TerrainHelpers, AnglesPickOrdersAndDirections) {
    // Each 45-degree sector includes its lower end.
    const std::pair<double, int> orders[] = {{-0.1, 0},  {-45.0, 0},  {-45.1, 1},  {-90.0, 1},
                                             {-90.1, 2}, {-135.0, 2}, {-135.1, 3}, {-180.0, 3},
                                             {180.0, 4}, {135.0, 4},  {134.9, 5},  {90.0, 5},
                                             {45.0, 6},  {44.9, 7},   {0.0, 7}};
    for (auto [a, order] : orders) EXPECT_EQ(hg::indexOrderForAngle(a), order) << a;

    auto [az, slope] = hg::directionAngles(0.0, 1.0, 0.0);
    EXPECT_DOUBLE_EQ(az, 90.0);
    EXPECT_DOUBLE_EQ(slope, 0.0);
    std::tie(az, slope) = hg::directionAngles(-1.0, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(az, 270.0);
    EXPECT_DOUBLE_EQ(slope, 90.0);
    std::tie(az, slope) = hg::directionAngles(-1.0, 1.0, 1.0);  // toward -x, +z
    EXPECT_NEAR(az, 225.0, 1e-7);
    EXPECT_NEAR(slope, 54.735610317, 1e-6);
    std::tie(az, slope) = hg::directionAngles(1.0, -1.0, -1.0);
    EXPECT_NEAR(az, 45.0, 1e-7);
    EXPECT_NEAR(slope, 125.264389683, 1e-6);

    auto c = hg::unpackColour(0xFF8000);
    EXPECT_FLOAT_EQ(c[0], 255 * 0.003921569f);
    EXPECT_FLOAT_EQ(c[1], 128 * 0.003921569f);
    EXPECT_FLOAT_EQ(c[2], 0.0f);
}

}  // namespace
