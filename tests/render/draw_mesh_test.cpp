// SPDX-License-Identifier: MIT
#include "render/draw_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

namespace {

TEST(MeshStyle, NetBlockFollowsGridWidth) {
    EXPECT_EQ(hg::meshBlockSize(100, 100), 1);
    EXPECT_EQ(hg::meshBlockSize(50, 50), 1);
    EXPECT_EQ(hg::meshBlockSize(201, 100), 3);
    EXPECT_EQ(hg::meshBlockSize(200, 100), 2);
    EXPECT_EQ(hg::meshBlockSize(201, 0), 201);  // no divide by zero
}

TEST(MeshStyle, PalettesByGridWidth) {
    const hg::MeshPalette coarse = hg::meshPalette(false), fine = hg::meshPalette(true);
    EXPECT_EQ(coarse.low, 0x1E1EC3u);
    EXPECT_EQ(coarse.mid, 0x20DF20u);
    EXPECT_EQ(coarse.high, 0xEE1E1Eu);
    EXPECT_EQ(fine.low, 0x3B3BB3u);
    EXPECT_EQ(fine.mid, 0x46C646u);
    EXPECT_EQ(fine.high, 0xDD4444u);
    for (const auto& p : {coarse, fine}) {
        EXPECT_EQ(p.wire, 0x8080FFu);
        EXPECT_EQ(p.water, 0x3380FFu);
    }
}

TEST(MeshStyle, MidHeightIsTheMiddleOfWhatLiesAboveSea) {
    // Above sea level 0: 1, 2, 3, 4 (n = 4): position F + 2 holds 3.
    EXPECT_FLOAT_EQ(hg::meshMidHeight({4, -1, 3, 0, 1, 2, -5}, 0.0f), 3.0f);
    EXPECT_FLOAT_EQ(hg::meshMidHeight({10, 20, 30}, 0.0f), 20.0f);
    // All at or below sea level: the lowest height.
    EXPECT_FLOAT_EQ(hg::meshMidHeight({-3, 0, -7, -1}, 0.0f), -7.0f);
}

TEST(MeshStyle, HeightColourRamps) {
    const hg::MeshPalette p = hg::meshPalette(false);
    const float k = 0.003921569f;
    auto at = [&](float h, bool sea = true) {
        return hg::meshHeightColour(h, p, sea, 0.0f, -10.0f, 50.0f, 150.0f);
    };
    // At or below sea: water.
    EXPECT_FLOAT_EQ(at(0.0f)[0], 51 * k);
    EXPECT_FLOAT_EQ(at(-10.0f)[2], 255 * k);
    // Without sea colours the lower ramp starts at the lowest height.
    EXPECT_FLOAT_EQ(at(-10.0f, false)[2], 195 * k);
    // The pivot is the mid colour, the top the high colour.
    EXPECT_FLOAT_EQ(at(50.0f)[1], 223 * k);
    EXPECT_FLOAT_EQ(at(150.0f)[0], 238 * k);
    // Half way up the upper ramp.
    EXPECT_NEAR(at(100.0f)[0], (32 + (238 - 32) * 0.5f) * k, 1e-6f);
    EXPECT_FLOAT_EQ(at(100.0f)[3], 1.0f);
    // A ramp of no height gives its start colour, not a division by zero.
    const auto top = hg::meshHeightColour(80.0f, p, true, 0.0f, 10.0f, 80.0f, 80.0f);
    EXPECT_FLOAT_EQ(top[1], 223 * k);
    const auto bottom = hg::meshHeightColour(5.0f, p, false, 0.0f, 5.0f, 5.0f, 90.0f);
    EXPECT_FLOAT_EQ(bottom[1], 223 * k);
}

// Every block's outline as its own loop, the plain way to draw the net: the
// strips must draw exactly these edges, each once.
std::multiset<std::pair<std::pair<int, int>, std::pair<int, int>>> blockOutlineEdges(int cols,
                                                                                     int rows,
                                                                                     int k) {
    std::set<std::pair<std::pair<int, int>, std::pair<int, int>>> edges;
    auto add = [&](std::pair<int, int> a, std::pair<int, int> b) {
        edges.insert(std::minmax(a, b));
    };
    for (int i0 = 0; i0 < rows - k; i0 += k) {
        for (int j0 = 0; j0 < cols - k; j0 += k) {
            for (int t = 0; t < k; ++t) {
                add({i0 + t, j0}, {i0 + t + 1, j0});
                add({i0 + t, j0 + k}, {i0 + t + 1, j0 + k});
                add({i0, j0 + t}, {i0, j0 + t + 1});
                add({i0 + k, j0 + t}, {i0 + k, j0 + t + 1});
            }
        }
    }
    return {edges.begin(), edges.end()};
}

std::multiset<std::pair<std::pair<int, int>, std::pair<int, int>>> stripEdges(int cols, int rows,
                                                                              int k) {
    std::multiset<std::pair<std::pair<int, int>, std::pair<int, int>>> edges;
    for (const auto& line : hg::meshNetLines(cols, rows, k))
        for (std::size_t n = 1; n < line.size(); ++n)
            edges.insert(std::minmax(line[n - 1], line[n]));
    return edges;
}

TEST(MeshStyle, NetDrawsEveryWholeBlocksOutlineOnce) {
    for (auto [cols, rows, k] :
         {std::tuple{4, 3, 1}, {201, 4, 3}, {201, 201, 1}, {201, 201, 7}, {50, 33, 4}, {9, 9, 8}}) {
        SCOPED_TRACE(testing::Message() << cols << " x " << rows << " k " << k);
        EXPECT_EQ(stripEdges(cols, rows, k), blockOutlineEdges(cols, rows, k));
    }
    // 201 columns with k = 3: blocks start at columns 0 ... 195, so the last
    // cells (198 to 200) carry no outline on their far side.
    int farthest = 0;
    for (const auto& line : hg::meshNetLines(201, 4, 3))
        for (auto [i, j] : line) farthest = std::max(farthest, j);
    EXPECT_EQ(farthest, 198);
    // Fewer than k + 1 rows: nothing to outline.
    EXPECT_TRUE(hg::meshNetLines(201, 3, 3).empty());
    // At 201 x 201 and k = 1 the net is 402 strips, not 40 000 loops.
    EXPECT_EQ(hg::meshNetLines(201, 201, 1).size(), 402u);
}

}  // namespace
