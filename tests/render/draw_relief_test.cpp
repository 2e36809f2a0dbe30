// SPDX-License-Identifier: MIT
#include "render/draw_relief.h"
#include "platform/profile_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "render/saver_record.h"
#include "render/styles.h"
#include "support/offscreen_support.h"
#include "support/test_support.h"

namespace {

using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;
using hgtest::Shown;

constexpr int kW = 300, kH = 240;

std::unique_ptr<hg::CViewSettings> mapRecord() {
    auto record = hg::createViewSettings(hg::kDrawRelief);
    hg::SaverSettings saved;
    hg::applyMapSettings(*record, saved, 1.0);
    return record;
}

// The first and last x on row y (or y on column x) that differ from the
// corner, as the part chooser finds the map inside its picture.
std::pair<int, int> mapSpan(const Pixels& p, bool alongRow) {
    const Rgb back = pixel(p, kW, 0, 0);
    const int n = alongRow ? kW : kH;
    auto at = [&](int k) { return alongRow ? pixel(p, kW, k, kH / 2) : pixel(p, kW, kW / 2, k); };
    int first = 0;
    while (first < n && at(first) == back) ++first;
    int last = first;
    while (last < n && !(at(last) == back)) ++last;
    return {first, last - 1};
}

TEST(ReliefColours, FourEvenBandsFromTheLandsBaseAndSeaBlue) {
    // Land from 100 to 900: quarters of 200.
    const hg::ColourBands land = hg::reliefBands(true, 0.0f, 100.0f, 900.0f);
    EXPECT_EQ(land.at(100.0f), hg::solidColour(0x3A89AF));
    EXPECT_EQ(land.at(300.0f), hg::solidColour(0x35CA35));
    EXPECT_EQ(land.at(500.0f), hg::solidColour(0xC8C82A));
    EXPECT_EQ(land.at(700.0f), hg::solidColour(0xD26829));
    EXPECT_EQ(land.at(900.0f), hg::solidColour(0xC0C0C0));
    EXPECT_EQ(land.at(400.0f), hg::blendColours(0x35CA35, 0xC8C82A, 0.5f));
    // Reaching below sea level, the land starts at sea level and the sea is
    // blue only while sea colours are on.
    const hg::ColourBands coast = hg::reliefBands(true, 0.0f, -50.0f, 800.0f);
    EXPECT_EQ(coast.at(-10.0f), hg::solidColour(0x84BDF6));
    EXPECT_EQ(coast.at(0.5f), hg::blendColours(0x3A89AF, 0x35CA35, 0.5f / 200.0f));
    EXPECT_EQ(hg::reliefBands(false, 0.0f, -50.0f, 800.0f).at(-10.0f),
              hg::blendColours(0x3A89AF, 0x35CA35, -10.0f / 200.0f));
    // A flat terrain has bands of no width: one of the ramp's colours, never
    // a NaN that would blacken the lighting.
    const hg::Rgba flat = hg::reliefBands(true, 0.0f, 300.0f, 300.0f).at(300.0f);
    for (float c : flat) {
        EXPECT_TRUE(std::isfinite(c));
        EXPECT_GE(c, 0.0f);
        EXPECT_LE(c, 1.0f);
    }
}

TEST(OffscreenRelief, AGroundAboveTheSeaSpansTheRampAndStaysStill) {
    REQUIRE_TARGET(target, kW, kH);
    Shown shown;
    // A plane rising eastwards, wholly above sea level: one normal
    // everywhere, so the light scales every colour alike.
    const int cols = 41, rows = 31;
    std::vector<float> heights;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) heights.push_back(100.0f + 20.0f * c);
    auto record = mapRecord();
    auto draw = hg::createDraw(hg::kDrawRelief, hg::userSettings());
    ASSERT_EQ(draw->initialiseWith(target.get(), *record, hgtest::gridMaker(cols, rows, heights)),
              1)
        << shown.first();
    // The colours the vertices carry: the ramp's two ends at the lowest and
    // the highest.
    const std::vector<float>& colour = draw->colourArray();
    EXPECT_FLOAT_EQ(colour[0] * 255.0f, 58.0f);
    EXPECT_FLOAT_EQ(colour[1] * 255.0f, 137.0f);
    EXPECT_FLOAT_EQ(colour[2] * 255.0f, 175.0f);
    const std::size_t east = (cols - 1) * 4;
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(colour[east + c] * 255.0f, 192.0f, 1e-3f);

    const Pixels first = target->readPixels();
    const auto [x0, x1] = mapSpan(first, true);
    ASSERT_LT(x0, x1);
    // The map keeps the ground's 4:3 proportions and is centred.
    EXPECT_NEAR(x0, kW - 1 - x1, 1);
    // West (the lowest) is blue-grey as lit: blue above green above red, in
    // the proportions of (58, 137, 175).
    const Rgb low = pixel(first, kW, x0, kH / 2);
    EXPECT_LT(low.r, low.g);
    EXPECT_LT(low.g, low.b);
    const double ratio = static_cast<double>(low.g - low.r) / (low.b - low.g);
    EXPECT_NEAR(ratio, 79.0 / 38.0, 0.4) << low.r << " " << low.g << " " << low.b;
    // East (the highest) is grey.
    const Rgb high = pixel(first, kW, x1, kH / 2);
    EXPECT_NEAR(high.r, high.g, 1);
    EXPECT_NEAR(high.g, high.b, 1);
    EXPECT_GT(high.r, 100);

    // Later ticks neither turn nor redraw the map.
    const float turn = draw->turn();
    for (int n = 0; n < 3; ++n) EXPECT_EQ(draw->nextFrame(), 1);
    EXPECT_EQ(hgtest::changedPixels(first, target->readPixels()), 0);
    EXPECT_EQ(draw->turn(), turn);
    draw->release();
}

TEST(OffscreenRelief, TheMarginColourNeverOccursInsideTheMap) {
    REQUIRE_TARGET(target, kW, kH);
    Shown shown;
    std::vector<hg::CDraw::MeshMaker> terrains = {hgtest::islandMaker(60, 50)};
    if (std::filesystem::exists(hgtest::bundledTerrain())) {
        terrains.push_back([](hg::TerrainBuffers& b, hg::CViewSettings& s) {
            return hg::createMesh(b, s, hg::kDemUsgs, hgtest::bundledTerrain(), nullptr);
        });
    }
    for (const auto& maker : terrains) {
        auto record = mapRecord();
        auto draw = hg::createDraw(hg::kDrawRelief, hg::userSettings());
        ASSERT_EQ(draw->initialiseWith(target.get(), *record, maker), 1) << shown.first();
        const Pixels p = target->readPixels();
        const Rgb back = pixel(p, kW, 0, 0);
        EXPECT_EQ(back, pixel(p, kW, kW - 1, kH - 1));
        // Scanned from the margin, each middle line finds one unbroken map
        // that ends at the opposite margin.
        for (bool alongRow : {true, false}) {
            const auto [from, to] = mapSpan(p, alongRow);
            const int n = alongRow ? kW : kH;
            EXPECT_GT(to - from, n / 2);
            for (int k = to + 1; k < n; ++k) {
                const Rgb c = alongRow ? pixel(p, kW, k, kH / 2) : pixel(p, kW, kW / 2, k);
                ASSERT_EQ(c, back) << "the map breaks at " << k;
            }
        }
        draw->release();
    }
}

}  // namespace
