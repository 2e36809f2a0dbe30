// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>

#include "dem/usgs1deg.h"

namespace {

// The terrain a fresh installation shows. The figures were taken from the
// source array (jacksboro_fault_dem.npz, row 0 north) with numpy, so a
// fault in the converter or in the reader's row order shows up here.
TEST(BundledTerrain, JacksboroReadsAsTheSourceArray) {
    const std::filesystem::path path = std::filesystem::path(HG_SOURCE_DIR) / "data/jacksboro.dem";
    ASSERT_TRUE(std::filesystem::exists(path)) << path;

    hg::TerrainBuffers buffers;
    hg::CViewSettings settings;
    settings.isPart = 1;
    settings.sizeMeshMaxX = settings.sizeMeshMaxZ = INT_MAX;
    settings.meshBlock = 1.0;
    hg::CUSGS1deg mesh(buffers, settings, path);
    mesh.open();
    mesh.layout();
    mesh.read();

    ASSERT_EQ(mesh.demCols, 403);
    ASSERT_EQ(mesh.demRows, 344);
    EXPECT_FALSE(mesh.raggedProfiles());
    EXPECT_EQ(mesh.title, "JACKSBORO FAULT, TN");
    EXPECT_EQ(hg::usgsDemTitle(path), "JACKSBORO FAULT, TN");
    EXPECT_EQ(mesh.minHeight, 236.0f);
    EXPECT_EQ(mesh.maxHeight, 1076.0f);
    // Posts on whole multiples of 3 arc-seconds, 36.4 to 36.7 N, 84.1 to 84.4 W.
    EXPECT_DOUBLE_EQ(mesh.nwX, -303888.0);
    EXPECT_DOUBLE_EQ(mesh.nwY, 132237.0);
    EXPECT_DOUBLE_EQ(mesh.seX, -302682.0);
    EXPECT_DOUBLE_EQ(mesh.seY, 131208.0);
    EXPECT_NEAR(mesh.ewSpacing, 74.6, 0.1);
    EXPECT_NEAR(mesh.nsSpacing, 92.5, 0.1);

    ASSERT_EQ(buffers.heights.size(), 403u * 344u);
    auto at = [&](int row, int col) { return buffers.heights[row * 403 + col]; };
    EXPECT_EQ(at(0, 0), 483.0f);
    EXPECT_EQ(at(0, 402), 444.0f);
    EXPECT_EQ(at(343, 0), 545.0f);
    EXPECT_EQ(at(343, 402), 272.0f);
    EXPECT_EQ(at(172, 201), 583.0f);
    EXPECT_EQ(at(297, 219), 1076.0f);
    EXPECT_EQ(at(288, 347), 236.0f);

    std::int64_t sum = 0, weighted = 0;
    for (std::size_t i = 0; i < buffers.heights.size(); ++i) {
        const auto h = static_cast<std::int64_t>(buffers.heights[i]);
        sum += h;
        weighted += h * static_cast<std::int64_t>(i % 1009);
    }
    EXPECT_EQ(sum, 73617913);
    EXPECT_EQ(weighted, 36764221228);
}

}  // namespace
