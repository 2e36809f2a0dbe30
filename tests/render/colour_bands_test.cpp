// SPDX-License-Identifier: MIT
#include "render/colour_bands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float kByte = 0.003921569f;

void expectBytes(const hg::Rgba& c, double r, double g, double b) {
    EXPECT_NEAR(c[0], r * kByte, 1e-6);
    EXPECT_NEAR(c[1], g * kByte, 1e-6);
    EXPECT_NEAR(c[2], b * kByte, 1e-6);
    EXPECT_EQ(c[3], 1.0f);
}

void expectFinite(const hg::Rgba& c) {
    for (float v : c) EXPECT_TRUE(std::isfinite(v));
}

// Five land colours over fixed quarters of 0..1000, sea colour below 0.
hg::ColourBands landRamp(bool sea) {
    const std::vector<float> inner =
        hg::fractionLimits(0.0f, 1000.0f, std::vector{0.25, 0.5, 0.75});
    const double limits[] = {0.0, inner[0], inner[1], inner[2], 1000.0};
    const std::uint32_t colours[] = {0x3C83A5, 0x4CBA4C, 0xBCBC43, 0xCA7440, 0xBFBFBF};
    return hg::ColourBands::fromLimits(limits, colours, hg::SeaRule{sea, 0.0, 0x84BDF6});
}

TEST(ColourBands, LimitsBlendAndTheSeaRule) {
    const hg::ColourBands bands = landRamp(true);
    ASSERT_EQ(bands.bands().size(), 4u);
    EXPECT_EQ(bands.bands()[1].start, 250.0);
    EXPECT_EQ(bands.bands()[3].start, 750.0);
    // Half way between the second and third limits: half way from the
    // second colour to the third.
    expectBytes(bands.at(375.0), (76 + 188) / 2.0, (186 + 188) / 2.0, (76 + 67) / 2.0);
    // A limit belongs to the band it starts.
    expectBytes(bands.at(500.0), 188, 188, 67);
    expectBytes(bands.at(1000.0), 191, 191, 191);
    // Sea level itself is sea; just above it is land.
    expectBytes(bands.at(0.0), 132, 189, 246);
    expectBytes(bands.at(1e-6), 60, 131, 165);
    // Without the sea rule the first band runs on below its start.
    expectBytes(landRamp(false).at(-25.0), 60 - 16 * 0.1, 131 - 55 * 0.1, 165 + 89 * 0.1);
    // Slopes and other ramps ignore the sea.
    expectBytes(bands.bandColour(-1.0), 60 - 16 * 0.004, 131 - 55 * 0.004, 165 + 89 * 0.004);
}

TEST(ColourBands, BandsOfNoWidthGiveTheirStartColour) {
    const std::uint32_t colours[] = {0x102030, 0x405060, 0x708090};
    // Coinciding limits: the flat terrain of every land percentile.
    const double flat[] = {5.0, 5.0, 5.0};
    const auto onFlat = hg::ColourBands::fromLimits(flat, colours).at(5.0);
    expectBytes(onFlat, 0x40, 0x50, 0x60);
    expectBytes(hg::ColourBands::fromLimits(flat, colours).at(4.0), 0x10, 0x20, 0x30);
    // The top equal to the last inner limit.
    const double top[] = {0.0, 80.0, 80.0};
    expectBytes(hg::ColourBands::fromLimits(top, colours).at(80.0), 0x40, 0x50, 0x60);
    // Non-finite spans and heights never reach the colour as NaN.
    const double wild[] = {0.0, std::numeric_limits<double>::infinity(), 1.0};
    expectFinite(hg::ColourBands::fromLimits(wild, colours).at(3.0));
    expectFinite(hg::ColourBands::fromLimits(top, colours).at(std::nan("")));
    EXPECT_EQ(hg::bandPosition(std::numeric_limits<double>::infinity(), 0.0, 1.0), 0.0f);
    // Mismatched tables give no bands rather than reading past one.
    const double two[] = {0.0, 1.0};
    EXPECT_TRUE(hg::ColourBands::fromLimits(two, colours).bands().empty());
}

TEST(ColourBands, QuartersShareOneWidth) {
    const std::array<std::uint32_t, 5> c = {0x218CBF, 0x1CC31C, 0xC8C817, 0xD1570E, 0xCCCCCC};
    const auto bands = hg::ColourBands::quarters(100.0f, 500.0f, c);
    ASSERT_EQ(bands.bands().size(), 4u);
    for (const auto& b : bands.bands()) EXPECT_EQ(b.width, 100.0);
    EXPECT_EQ(bands.bands()[2].start, 300.0);
    // Each band moves by whole bytes from its colour to the next.
    expectBytes(bands.at(200.0 - 1e-9), 28, 195, 28);
    expectBytes(bands.at(250.0), 28 + 86, 195 + 2.5, 28 - 2.5);
    // A level above the top runs past the last colour, unclamped.
    expectBytes(bands.at(520.0), 209 - 5 * 1.2, 87 + 117 * 1.2, 14 + 190 * 1.2);
    // A terrain lying wholly at its base: every band starts there, no width.
    const auto level = hg::ColourBands::quarters(7.0f, 7.0f, c);
    expectBytes(level.at(7.0), 209, 87, 14);
    // The base is sea level only when the terrain reaches down to it.
    EXPECT_EQ(hg::landBase(-20.0f, 0.0f), 0.0f);
    EXPECT_EQ(hg::landBase(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(hg::landBase(35.0f, 0.0f), 35.0f);
}

TEST(ColourBands, PercentilesOfTheLandAboveSea) {
    // 40 land heights 1..40 shuffled among sea heights: positions 12, 26
    // and 37 of the land hold 13, 27 and 38.
    std::vector<float> heights = {-3.0f, 0.0f, -1.0f};
    for (int h = 40; h >= 1; --h) heights.push_back(static_cast<float>(h));
    const hg::Fraction bands[] = {{12, 40}, {26, 40}, {37, 40}};
    EXPECT_EQ(hg::landPercentiles(heights, 0.0f, bands), (std::vector<float>{13, 27, 38}));
    const hg::Fraction half[] = {{1, 2}};
    EXPECT_EQ(hg::landPercentiles({5, 1, 3}, 0.0f, half), (std::vector<float>{3}));
    // Nothing above the sea: the lowest height; nothing at all: the sea.
    EXPECT_EQ(hg::landPercentiles({-4, 0, -9}, 0.0f, bands), (std::vector<float>(3, -9.0f)));
    EXPECT_EQ(hg::landPercentiles({}, 2.0f, half), (std::vector<float>{2.0f}));
    // A whole of the land stops at its highest height.
    const hg::Fraction whole[] = {{1, 1}};
    EXPECT_EQ(hg::landPercentiles({1, 2, 3}, 0.0f, whole), (std::vector<float>{3}));
}

}  // namespace
