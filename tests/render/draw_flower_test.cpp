// SPDX-License-Identifier: MIT
#include "render/draw_flower.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "render/styles.h"
#include "support/offscreen_support.h"
#include "support/test_support.h"

namespace {

using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;

constexpr float kByte = 1.0f / 255.0f;

void expectColour(const hg::Rgba& c, int r, int g, int b) {
    EXPECT_NEAR(c[0], r * kByte, 1e-6f);
    EXPECT_NEAR(c[1], g * kByte, 1e-6f);
    EXPECT_NEAR(c[2], b * kByte, 1e-6f);
    EXPECT_FLOAT_EQ(c[3], 1.0f);
}

TEST(FlowerStyle, LimitsSplitTheSumOfSlopesIntoThirds) {
    // 1 + 2 + 3 + 4 reaches a third of 21 at 4; adding 5 reaches two thirds.
    const hg::SlopeLimits small = hg::slopeLimits({6, 3, 1, 5, 2, 4});
    EXPECT_EQ(small.minSlope, 1.0);
    EXPECT_EQ(small.maxSlope, 6.0);
    EXPECT_EQ(small.lowerSlope, 4.0);
    EXPECT_EQ(small.upperSlope, 5.0);

    // Evenly spread from 0 to 60 degrees: the sum up to x grows as x * x,
    // so the thirds fall at sqrt(1200) and sqrt(2400), not at 20 and 40.
    std::vector<double> even;
    for (int k = 0; k <= 60000; ++k) even.push_back(k * 0.001);
    std::reverse(even.begin(), even.end());
    const hg::SlopeLimits l = hg::slopeLimits(even);
    EXPECT_NEAR(l.lowerSlope, 34.64, 0.01);
    EXPECT_NEAR(l.upperSlope, 48.99, 0.01);
    const auto gentle =
        std::count_if(even.begin(), even.end(), [&](double s) { return s < l.lowerSlope; });
    EXPECT_GT(gentle, static_cast<long>(even.size() / 2));

    // A third already reached at the last slope leaves nothing after it:
    // the upper limit is that last slope too.
    const hg::SlopeLimits steepEnd = hg::slopeLimits({0, 0, 0, 10});
    EXPECT_EQ(steepEnd.lowerSlope, 10.0);
    EXPECT_EQ(steepEnd.upperSlope, 10.0);
    EXPECT_EQ(steepEnd.minSlope, 0.0);
}

TEST(FlowerStyle, ColoursBySlopeAndSea) {
    const hg::SlopeLimits l{.minSlope = 0, .maxSlope = 60, .lowerSlope = 20, .upperSlope = 40};
    const hg::ColourBands bands = hg::flowerBands(l);
    expectColour(bands.bandColour(0), 163, 211, 116);
    expectColour(bands.bandColour(20), 99, 203, 99);
    expectColour(bands.bandColour(40), 196, 111, 175);
    expectColour(bands.bandColour(60), 237, 103, 137);
    const hg::Rgba mid = bands.bandColour(30);
    EXPECT_NEAR(mid[0], (99 + 196) * 0.5f * kByte, 1e-6f);

    // Two vertices at sea level and one above it, all steep.
    const std::vector<double> slopes = {60, 60, 60};
    const std::vector<float> vertices = {0, -5, 0, 0, 0, 0, 0, 0.5f, 0};
    const hg::SeaRule sea{true, 0.0, hg::kFlowerSea};
    const std::vector<float> wet = hg::flowerColours(slopes, vertices, bands, sea);
    ASSERT_EQ(wet.size(), 12u);
    for (std::size_t v : {0u, 1u}) {
        expectColour({wet[v * 4], wet[v * 4 + 1], wet[v * 4 + 2], wet[v * 4 + 3]}, 107, 140, 240);
    }
    expectColour({wet[8], wet[9], wet[10], wet[11]}, 237, 103, 137);
    const std::vector<float> dry =
        hg::flowerColours(slopes, vertices, bands, hg::SeaRule{false, 0.0, hg::kFlowerSea});
    expectColour({dry[0], dry[1], dry[2], dry[3]}, 237, 103, 137);
}

// Grid vertices of y = f(x, z) on a 10-unit spacing, with room for and
// then the cell centres.
std::vector<float> surface(int cols, int rows, double (*f)(double, double)) {
    std::vector<float> v(static_cast<std::size_t>(cols * rows + (cols - 1) * (rows - 1)) * 3);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            const std::size_t at = static_cast<std::size_t>(i * cols + j) * 3;
            v[at] = static_cast<float>(j * 10);
            v[at + 1] = static_cast<float>(f(j * 10.0, i * 10.0));
            v[at + 2] = static_cast<float>(i * 10);
        }
    }
    hg::buildCellCentres(v, cols, rows);
    return v;
}

TEST(FlowerStyle, SlopesOfPlanesAndAFlatTerrain) {
    // A plane rising 45 degrees along x: every vertex and centre has it.
    const auto ramp = surface(5, 4, [](double x, double) { return x; });
    const auto rampNormals = hg::flowerSmoothNormals(hg::GridView(ramp, 5, 4));
    ASSERT_EQ(rampNormals.size(), ramp.size());
    for (double s : hg::normalSlopes(rampNormals)) EXPECT_NEAR(s, 45.0, 1e-4);

    // On a flat terrain every limit is 0 and every band has no width:
    // every vertex lands in the top class, at its start colour.
    const auto flat = surface(4, 4, [](double, double) { return 7.0; });
    const auto slopes = hg::normalSlopes(hg::flowerSmoothNormals(hg::GridView(flat, 4, 4)));
    const hg::SlopeLimits l = hg::slopeLimits(slopes);
    EXPECT_EQ(l.minSlope, 0.0);
    EXPECT_EQ(l.lowerSlope, 0.0);
    EXPECT_EQ(l.upperSlope, 0.0);
    EXPECT_EQ(l.maxSlope, 0.0);
    const auto colours = hg::flowerColours(slopes, flat, hg::flowerBands(l), {});
    for (std::size_t v = 0; v < slopes.size(); ++v) {
        expectColour({colours[v * 4], colours[v * 4 + 1], colours[v * 4 + 2], colours[v * 4 + 3]},
                     196, 111, 175);
    }
}

TEST(OffscreenFlower, BundledTerrainInSlopeColoursTurning) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(target, 320, 240);
    hgtest::ScopedHome home;
    hgtest::Shown shown;
    hg::CDrawFlower draw;
    auto s = hg::createViewSettings(hg::kDrawFlower);
    s->yFactor = 1.4;
    s->backColor = 0x203040;
    ASSERT_EQ(draw.initialise(target.get(), *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1)
        << shown.first();
    const hg::SlopeLimits& l = draw.limits();
    EXPECT_LE(l.minSlope, l.lowerSlope);
    EXPECT_LT(l.lowerSlope, l.upperSlope);
    EXPECT_LE(l.upperSlope, l.maxSlope);

    ASSERT_EQ(draw.nextFrame(), 1);
    const Pixels first = target->readPixels();
    const Rgb back = hgtest::unpacked(0x203040);
    int background = 0, green = 0, mauve = 0, blue = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const Rgb c = pixel(first, 320, x, y);
            if (c == back) {
                ++background;
            } else if (c.g > c.r && c.g > c.b) {
                ++green;
            } else if (c.r > c.g && c.b > c.g) {
                ++mauve;
            } else if (c.b > c.r && c.b > c.g) {
                ++blue;
            }
        }
    }
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}})
        EXPECT_EQ(pixel(first, 320, x, y), back);
    EXPECT_GT(background, 320 * 240 / 10);
    // Gentle ground holds more than half the vertices; the steep classes
    // show too; nothing here lies at sea level.
    EXPECT_GT(green, mauve);
    EXPECT_GT(mauve, 100);
    EXPECT_LT(blue, 20);

    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_GT(hgtest::changedPixels(first, target->readPixels()), 320 * 240 / 100);
    draw.release();
}

}  // namespace
