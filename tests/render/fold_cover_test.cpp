// SPDX-License-Identifier: MIT
#include "render/fold_cover.h"

#include <gtest/gtest.h>

#include <set>

#include "render/terrain_helpers.h"

namespace {

TEST(FoldCover, ProjectsIntoTheViewportAndRefusesPointsBehindTheEye) {
    const std::array<float, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::array<float, 16> frustum = identity;  // w = -z: z = 1 lies behind the eye
    frustum[11] = -1.0f;
    frustum[15] = 0.0f;
    const std::array<int, 4> viewport = {10, 20, 100, 50};
    std::vector<float> out;
    ASSERT_TRUE(hg::projectToWindow(identity, identity, viewport, {0, 0, 0, 1, -1, 0}, 2, out));
    EXPECT_EQ(out, (std::vector<float>{60.0f, 45.0f, 110.0f, 20.0f}));
    EXPECT_FALSE(hg::projectToWindow(identity, frustum, viewport, {0, 0, -2, 0, 0, 1}, 2, out));
}

// A strip over a 4-column grid whose rows stand on screen at the heights
// given: where a row lies below the one before, the surface has turned
// over, and only the rows of cells meeting that fold are drawn.
TEST(FoldCover, DrawsWhatMeetsAFoldAndNothingElse) {
    const struct {
        std::vector<float> screenY;
        std::set<std::uint32_t> cellRows;
    } cases[] = {{{2, 12, 22, 32, 42, 52}, {}}, {{2, 12, 30, 24, 42, 60}, {1, 2, 3}}};
    for (const auto& c : cases) {
        std::vector<float> window, map;
        for (std::size_t r = 0; r < c.screenY.size(); ++r) {
            for (int col = 0; col < 4; ++col) {
                window.insert(window.end(), {10.0f * static_cast<float>(col), c.screenY[r]});
                map.insert(map.end(), {static_cast<float>(col), 0.0f, -static_cast<float>(r)});
            }
        }
        const auto strip = hg::buildStripList(4, static_cast<int>(c.screenY.size()), 0);
        std::set<std::uint32_t> drawn;
        for (const hg::IndexRun& run :
             hg::overlappingRuns(window, map, strip, true, {0, 0, 40, 64})) {
            EXPECT_EQ(run.offset % 2, 0u) << "a piece starting on an odd triangle turns it over";
            for (std::size_t k = run.offset; k + 2 < run.offset + run.count; ++k) {
                const std::uint32_t a = strip[k], b = strip[k + 1], d = strip[k + 2];
                if (a != b && b != d && a != d) drawn.insert(std::min({a, b, d}) / 4);
            }
        }
        EXPECT_EQ(drawn, c.cellRows);
    }
}

}  // namespace
