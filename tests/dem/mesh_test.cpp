// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "dem/memory_grid.h"
#include "dem/mesh.h"

namespace {

constexpr float V = hg::VOID_HEIGHT;

std::vector<float> samples(int cols, int rows, const std::function<float(int, int)>& at) {
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(cols) * rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) out.push_back(at(r, c));
    return out;
}

// A made-up DEM on its way to vertices, with the whole-DEM defaults
// (201 x 201 samples at most) unless a test changes the settings first.
struct Terrain {
    hg::TerrainBuffers buffers;
    hg::CViewSettings settings;
    hg::CMemoryGrid grid;

    Terrain(int cols, int rows, std::vector<float> heights, double ew, double ns, double block)
        : grid(buffers, settings, cols, rows, std::move(heights), ew, ns) {
        settings.isPart = 0;
        settings.meshBlock = block;
        settings.yFactor = 1.0;
    }
    void lay() {
        grid.open();
        grid.layout();
        grid.read();
    }
    void load() {
        lay();
        grid.heightsToVertices();
    }
    float at(int i, int j, int axis) const {
        const std::size_t v = static_cast<std::size_t>(i) * settings.numCols + j;
        return buffers.vertices[v * 3 + axis];
    }
    float x(int i, int j) const { return at(i, j, 0); }
    float y(int i, int j) const { return at(i, j, 1); }
    float z(int i, int j) const { return at(i, j, 2); }
    float height(int row, int col) const {
        return buffers.heights[static_cast<std::size_t>(row) * settings.usedCols + col];
    }
};

// 500 x 300 samples into at most 201 x 201 with 4 x 4 blocks: the columns
// need a step of 3, the rows only 2, and the larger wins. Each sample holds
// 1000 x row + column, so a kept sample names its own place.
TEST(MeshLayout, WholeDemThinsBothWaysByTheLargerStepAndSpansTheFullExtent) {
    Terrain t(500, 300, samples(500, 300, [](int r, int c) { return 1000.0f * r + c; }), 10.0, 20.0,
              4.0);
    t.load();
    const hg::CViewSettings& s = t.settings;
    EXPECT_EQ(t.grid.thinStep, 3);
    EXPECT_EQ(s.usedCols, 166);
    EXPECT_EQ(s.usedRows, 100);
    EXPECT_EQ(s.numCols, 41);
    EXPECT_EQ(s.numRows, 25);
    ASSERT_EQ(t.buffers.heights.size(), 166u * 100u);
    EXPECT_EQ(t.buffers.vertices.size(), (41u * 25u + 40u * 24u) * 3u);

    EXPECT_EQ(t.height(0, 0), 0.0f);
    EXPECT_EQ(t.height(0, 1), 3.0f);
    EXPECT_EQ(t.height(1, 1), 3003.0f);
    EXPECT_EQ(t.height(99, 165), 297495.0f);

    // x step 499 / 40 x 10 m = 124.75 m; z step 299 / 24 x 20 m.
    EXPECT_FLOAT_EQ(t.x(0, 0), -2495.0f);
    EXPECT_FLOAT_EQ(t.x(3, 7), -1621.75f);
    EXPECT_FLOAT_EQ(t.x(24, 40), 2495.0f);
    EXPECT_NEAR(t.z(0, 0), -2990.0f, 1e-3);
    EXPECT_NEAR(t.z(1, 5), -2990.0f + 5980.0f / 24.0f, 1e-3);
    EXPECT_NEAR(t.z(24, 0), 2990.0f, 1e-3);

    // A 4 x 4 block of thinned samples averages to 12000 i + 12 j + 4504.5.
    EXPECT_NEAR(t.y(1, 0) - t.y(0, 0), 12000.0f, 0.1);
    EXPECT_NEAR(t.y(0, 1) - t.y(0, 0), 12.0f, 0.1);
    EXPECT_NEAR(t.y(24, 40) - t.y(0, 0), 288480.0f, 0.1);
}

TEST(MeshLayout, SmallDemKeepsEverySampleAndTooFewVerticesFail) {
    Terrain small(5, 4, samples(5, 4, [](int r, int c) { return 10.0f * r + c; }), 2.0, 3.0, 1.0);
    small.load();
    EXPECT_EQ(small.grid.thinStep, 1);
    EXPECT_EQ(small.settings.usedCols, 5);
    EXPECT_EQ(small.settings.usedRows, 4);
    EXPECT_EQ(small.height(3, 4), 34.0f);
    // One block a vertex: the sample itself.
    EXPECT_FLOAT_EQ(small.y(3, 4) - small.y(0, 0), 34.0f);
    EXPECT_FLOAT_EQ(small.x(0, 0), -4.0f);
    EXPECT_FLOAT_EQ(small.z(0, 0), -4.5f);
    EXPECT_FLOAT_EQ(small.z(3, 0), 4.5f);

    Terrain narrow(3, 3, std::vector<float>(9, 1.0f), 1.0, 1.0, 2.0);
    EXPECT_THROW(narrow.lay(), std::exception);
}

// A 10 x 8 DEM holding 100 x row + column; a 7 x 4 window from column 2,
// row 3, with 2 x 2 blocks.
TEST(MeshLayout, PartWindowKeepsItsRectangleAtFullSpacing) {
    Terrain t(10, 8, samples(10, 8, [](int r, int c) { return 100.0f * r + c; }), 3.0, 4.0, 2.0);
    t.settings.isPart = 1;
    t.settings.sizeMeshMaxX = 7;
    t.settings.sizeMeshMaxZ = 4;
    t.settings.startX = 2;
    t.settings.startZ = 3;
    t.load();
    const hg::CViewSettings& s = t.settings;
    EXPECT_EQ(t.grid.thinStep, 1);
    EXPECT_EQ(s.usedCols, 7);
    EXPECT_EQ(s.usedRows, 4);
    EXPECT_EQ(s.numCols, 3);
    EXPECT_EQ(s.numRows, 2);
    ASSERT_EQ(t.buffers.heights.size(), 28u);
    EXPECT_EQ(t.height(0, 0), 302.0f);
    EXPECT_EQ(t.height(0, 6), 308.0f);
    EXPECT_EQ(t.height(3, 6), 608.0f);

    EXPECT_FLOAT_EQ(t.x(0, 0), -6.0f);
    EXPECT_FLOAT_EQ(t.x(1, 2), 6.0f);
    EXPECT_FLOAT_EQ(t.z(0, 1), -4.0f);
    EXPECT_FLOAT_EQ(t.z(1, 1), 4.0f);

    // Blocks average to 352.5 + 200 i + 2 j; the seventh column is left out.
    EXPECT_FLOAT_EQ(t.y(0, 2) - t.y(0, 0), 4.0f);
    EXPECT_FLOAT_EQ(t.y(1, 1) - t.y(0, 0), 202.0f);
    EXPECT_NEAR(s.yOffset, -(204.0 * 0.29411763 + 352.5), 1e-4);

    // A window larger than the DEM, or hanging over its edge, shrinks to it.
    Terrain wide(10, 8, samples(10, 8, [](int r, int c) { return 100.0f * r + c; }), 3.0, 4.0, 1.0);
    wide.settings.isPart = 1;
    wide.settings.sizeMeshMaxX = 50;
    wide.settings.sizeMeshMaxZ = 3;
    wide.settings.startX = 4;
    wide.settings.startZ = 7;
    wide.lay();
    EXPECT_EQ(wide.settings.usedCols, 10);
    EXPECT_EQ(wide.settings.usedRows, 3);
    EXPECT_EQ(wide.height(0, 0), 500.0f);
    EXPECT_EQ(wide.height(2, 9), 709.0f);
}

// 2 x 2 blocks of a 4 x 4 DEM: one of real samples (25), one half void
// (40 and 48 average to 44), one all void, one with a single void (5, 15
// and 10 average to 10).
TEST(MeshHeights, VoidsLeaveTheAverageAndSinkToTheLowestRealVertex) {
    // clang-format off
    Terrain t(4, 4, {10, 20, 40, V,
                     30, 40, 48, V,
                     V,  V,  5,  15,
                     V,  V,  V,  10}, 5.0, 7.0, 2.0);
    // clang-format on
    t.settings.yFactor = 2.0;
    t.load();
    EXPECT_FLOAT_EQ(t.grid.minHeight, 5.0f);
    EXPECT_FLOAT_EQ(t.grid.maxHeight, 48.0f);

    // Lowest vertex 10, highest 44: the level 5/17 of the way up, 20 m,
    // comes to 0, then heights double.
    EXPECT_NEAR(t.settings.yOffset, -20.0, 1e-5);
    EXPECT_NEAR(t.y(0, 0), 10.0f, 1e-4);
    EXPECT_NEAR(t.y(0, 1), 48.0f, 1e-4);
    EXPECT_NEAR(t.y(1, 0), -20.0f, 1e-4);
    EXPECT_NEAR(t.y(1, 1), -20.0f, 1e-4);
    EXPECT_NEAR(t.buffers.seaLevel, -40.0f, 1e-4);

    EXPECT_FLOAT_EQ(t.x(0, 0), -7.5f);
    EXPECT_FLOAT_EQ(t.x(0, 1), 7.5f);
    EXPECT_FLOAT_EQ(t.z(0, 0), -10.5f);
    EXPECT_FLOAT_EQ(t.z(1, 0), 10.5f);
}

TEST(MeshHeights, FlatOrEmptyGridsLieAtZeroAndAReadersRangeIsKept) {
    Terrain flat(3, 3, std::vector<float>(9, 812.0f), 1.0, 1.0, 1.0);
    flat.settings.yFactor = 3.0;
    flat.load();
    EXPECT_FLOAT_EQ(flat.settings.yOffset, -812.0f);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(flat.y(i, j), 0.0f) << i << "," << j;

    Terrain empty(3, 3, std::vector<float>(9, V), 1.0, 1.0, 1.0);
    empty.load();
    EXPECT_EQ(empty.settings.yOffset, 0.0);
    EXPECT_EQ(empty.y(2, 2), 0.0f);
    EXPECT_EQ(empty.grid.minHeight, 0.0f);
    EXPECT_EQ(empty.grid.maxHeight, 0.0f);

    Terrain known(3, 3, std::vector<float>(9, 812.0f), 1.0, 1.0, 1.0);
    known.lay();
    known.grid.maxHeight = 900.0f;
    known.grid.heightsToVertices();
    EXPECT_EQ(known.grid.minHeight, 0.0f);
    EXPECT_EQ(known.grid.maxHeight, 900.0f);
}

}  // namespace
