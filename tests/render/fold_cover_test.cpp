// SPDX-License-Identifier: MIT
#include "render/fold_cover.h"

#include <gtest/gtest.h>

#include <set>

#include "render/terrain_helpers.h"

namespace {

constexpr std::array<float, 16> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

TEST(FoldCover, ProjectsIntoTheViewportAndRefusesPointsBehindTheEye) {
    const std::array<int, 4> viewport = {10, 20, 100, 50};
    std::vector<float> window;
    ASSERT_TRUE(
        hg::projectToWindow(kIdentity, kIdentity, viewport, {0, 0, 0, 1, -1, 0.5f}, 2, window));
    EXPECT_EQ(window, (std::vector<float>{60.0f, 45.0f, 110.0f, 20.0f}));

    // A projection whose w is -z, as a frustum's: z = 1 lies behind the eye.
    std::array<float, 16> frustum = kIdentity;
    frustum[11] = -1.0f;
    frustum[15] = 0.0f;
    EXPECT_TRUE(hg::projectToWindow(kIdentity, frustum, viewport, {0, 0, -2}, 1, window));
    EXPECT_FALSE(hg::projectToWindow(kIdentity, frustum, viewport, {0, 0, -2, 0, 0, 1}, 2, window));
}

// A 4-column grid whose rows stand on screen at the given heights: where a
// row lies below the one before, the surface between them has turned over.
struct Field {
    std::vector<float> window, map;
};

Field rowsAt(const std::vector<float>& screenY) {
    Field f;
    for (std::size_t r = 0; r < screenY.size(); ++r) {
        for (int c = 0; c < 4; ++c) {
            f.window.insert(f.window.end(), {10.0f * static_cast<float>(c) + 5.0f, screenY[r]});
            f.map.insert(f.map.end(), {static_cast<float>(c), 0.0f, -static_cast<float>(r)});
        }
    }
    return f;
}

// The rows of cells (by their lower vertex row) the runs draw.
std::set<std::uint32_t> cellRowsDrawn(const std::vector<hg::IndexRun>& runs,
                                      const std::vector<std::uint32_t>& indices, bool strips) {
    std::set<std::uint32_t> rows;
    for (const hg::IndexRun& run : runs) {
        const std::size_t triangles = strips ? run.count - 2 : run.count / 3;
        for (std::size_t t = 0; t < triangles; ++t) {
            const std::size_t at = run.offset + (strips ? t : t * 3);
            const std::uint32_t a = indices[at], b = indices[at + 1], c = indices[at + 2];
            if (a == b || b == c || a == c) continue;
            rows.insert(std::min({a, b, c}) / 4);
        }
    }
    return rows;
}

TEST(FoldCover, DrawsWhatMeetsAFoldAndNothingElse) {
    const std::array<int, 4> viewport = {0, 0, 40, 64};
    struct Case {
        const char* name;
        std::vector<float> screenY;
        std::set<std::uint32_t> rows;
    };
    const Case cases[] = {
        {"no fold", {2, 12, 22, 32, 42, 52}, {}},
        // Row 3 comes back below row 2: cells 1 to 3 share pixels, 0 and 4
        // lie clear of them by more than a tile.
        {"one fold", {2, 12, 30, 24, 42, 60}, {1, 2, 3}},
        {"fold at the far edge", {2, 12, 22, 32, 50, 44}, {3, 4}},
    };
    for (const Case& c : cases) {
        const Field f = rowsAt(c.screenY);
        const int rows = static_cast<int>(c.screenY.size());
        for (bool strips : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (strips ? ", strip" : ", triangles"));
            const auto indices = strips
                                     ? hg::buildStripList(4, rows, 0)
                                     : hg::buildIndexList(4, rows, 0, hg::CellShape::TwoTriangles);
            const auto runs = hg::overlappingRuns(f.window, f.map, indices, strips, viewport);
            EXPECT_EQ(cellRowsDrawn(runs, indices, strips), c.rows);
            for (const hg::IndexRun& run : runs) {
                EXPECT_LE(run.offset + run.count, indices.size());
                EXPECT_TRUE(!strips || run.offset % 2 == 0) << run.offset;
            }
        }
    }
}

}  // namespace
