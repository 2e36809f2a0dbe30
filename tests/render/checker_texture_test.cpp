// SPDX-License-Identifier: MIT
#include "render/checker_texture.h"

#include <gtest/gtest.h>

namespace {

int texel(const std::vector<std::uint8_t>& level, int size, int r, int c) {
    return level[(static_cast<std::size_t>(r) * size + c) * 4];
}

TEST(CheckerTexture, LevelsAreBoardsOfFourQuarters) {
    const auto two = hg::checkerLevel(2);
    ASSERT_EQ(two.size(), 16u);
    EXPECT_EQ(texel(two, 2, 0, 0), 160);
    EXPECT_EQ(texel(two, 2, 0, 1), 255);
    EXPECT_EQ(texel(two, 2, 1, 0), 255);
    EXPECT_EQ(texel(two, 2, 1, 1), 160);
    EXPECT_EQ(two[3], 255);  // opaque
    EXPECT_EQ(hg::checkerLevel(1), (std::vector<std::uint8_t>{160, 160, 160, 255}));
    const auto full = hg::checkerLevel(64);
    ASSERT_EQ(full.size(), 16384u);
    EXPECT_EQ(texel(full, 64, 31, 31), 160);
    EXPECT_EQ(texel(full, 64, 31, 32), 255);
    EXPECT_TRUE(hg::checkerLevel(0).empty());
}

// The s coordinate of a cell's centre tells which part of the board it
// shows: 0.5 the whole board, 0.25 the grey quarter, 0.75 the white one.
float centreS(const std::vector<float>& coords, int cols, int i, int j) {
    return coords[(static_cast<std::size_t>(i) * (cols - 1) + j) * 24];
}

TEST(CheckerTexture, ChecksFollowTheGridThinning) {
    // 5 x 5 vertices: 4 x 4 cells.
    auto coords = hg::checkerCoords(5, 5, 2);
    ASSERT_EQ(coords.size(), 16u * 24u);
    const std::vector<float> firstCell = {0.5f, 0.5f, 0, 0, 0, 1, 0.5f, 0.5f, 0, 1, 1, 1,
                                          0.5f, 0.5f, 1, 1, 1, 0, 0.5f, 0.5f, 1, 0, 0, 0};
    EXPECT_EQ(std::vector<float>(coords.begin(), coords.begin() + 24), firstCell);
    EXPECT_EQ(centreS(hg::checkerCoords(5, 5, 3), 5, 3, 1), 0.5f);

    // numMesh 0: checks of 2 x 2 cells.
    coords = hg::checkerCoords(5, 5, 0);
    EXPECT_EQ(centreS(coords, 5, 0, 0), 0.25f);
    EXPECT_EQ(centreS(coords, 5, 1, 1), 0.25f);
    EXPECT_EQ(centreS(coords, 5, 0, 2), 0.75f);
    EXPECT_EQ(centreS(coords, 5, 2, 3), 0.25f);
    // Any other value: one cell a check.
    coords = hg::checkerCoords(5, 5, 1);
    EXPECT_EQ(centreS(coords, 5, 0, 0), 0.25f);
    EXPECT_EQ(centreS(coords, 5, 0, 1), 0.75f);
    EXPECT_EQ(centreS(coords, 5, 1, 1), 0.25f);
    EXPECT_EQ(centreS(hg::checkerCoords(5, 5, 7), 5, 1, 0), 0.75f);
}

}  // namespace
