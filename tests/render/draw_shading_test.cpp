// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "platform/profile_store.h"
#include "render/draw_iroiro.h"
#include "render/draw_shading.h"
#include "render/styles.h"
#include "support/offscreen_support.h"
#include "support/test_support.h"

namespace {

using hg::Rgba;
using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;
using hgtest::Shown;

void expectColour(const Rgba& got, const Rgba& want) {
    for (std::size_t c = 0; c < 4; ++c) EXPECT_NEAR(got[c], want[c], 1e-6f) << "channel " << c;
}

const hg::ShadingSettings kDefaults;

TEST(ShadingBands, EvenLimitsSplitTheLandAboveTheSea) {
    // A terrain from sea level 0 up to 1000.
    const std::vector<float> heights = {0.0f, 100.0f, 1000.0f, 480.0f};
    const auto limits = hg::shadingBandLimits(heights, 0.0f, 0.0f, 1000.0f, false);
    EXPECT_FLOAT_EQ(limits[0], 250.0f);
    EXPECT_FLOAT_EQ(limits[1], 500.0f);
    EXPECT_FLOAT_EQ(limits[2], 750.0f);

    const hg::ColourBands bands = hg::shadingBands(kDefaults, limits, true, 0.0f, 0.0f, 1000.0f);
    expectColour(bands.at(375.0f), hg::blendColours(0x4CBA4C, 0xBCBC43, 0.5f));
    expectColour(bands.at(0.0f), hg::solidColour(0x84BDF6));
    expectColour(bands.at(750.0f), hg::solidColour(0xCA7440));
    expectColour(bands.at(1000.0f), hg::solidColour(0xBFBFBF));

    // Without the sea colour, the sea's edge is the first land colour.
    const hg::ColourBands dry = hg::shadingBands(kDefaults, limits, false, 0.0f, 0.0f, 1000.0f);
    expectColour(dry.at(0.0f), hg::solidColour(0x3C83A5));

    // Land that never reaches the sea spans its own range.
    const auto high = hg::shadingBandLimits({200.0f, 1000.0f}, 0.0f, 200.0f, 1000.0f, false);
    EXPECT_FLOAT_EQ(high[0], 400.0f);
    expectColour(hg::shadingBands(kDefaults, high, true, 0.0f, 200.0f, 1000.0f).at(200.0f),
                 hg::solidColour(0x3C83A5));
}

TEST(ShadingBands, PercentileLimitsCountOnlyTheLand) {
    // 40 land heights 10, 20 .. 400 among sea and shore heights, shuffled:
    // the shore at exactly sea level is not land.
    std::vector<float> heights;
    for (int k = 1; k <= 40; ++k) heights.push_back(10.0f * static_cast<float>(k));
    for (float sea : {-50.0f, -5.0f, 0.0f, 0.0f, -1.0f}) heights.push_back(sea);
    std::mt19937 random(7);
    std::shuffle(heights.begin(), heights.end(), random);

    const auto limits = hg::shadingBandLimits(heights, 0.0f, -50.0f, 400.0f, true);
    // Sorted positions 12, 26 and 37 among the land.
    EXPECT_FLOAT_EQ(limits[0], 130.0f);
    EXPECT_FLOAT_EQ(limits[1], 270.0f);
    EXPECT_FLOAT_EQ(limits[2], 380.0f);
    // The even split of the same terrain would differ: the switch is read.
    EXPECT_FLOAT_EQ(hg::shadingBandLimits(heights, 0.0f, -50.0f, 400.0f, false)[0], 100.0f);
}

TEST(ShadingBands, NoLandAndNoRangeStayFinite) {
    // Wholly at or below sea level: every limit at the lowest height, every
    // vertex sea-coloured, in either mode.
    const std::vector<float> drowned = {-80.0f, -20.0f, 0.0f};
    for (bool percentiles : {false, true}) {
        SCOPED_TRACE(percentiles);
        const auto limits = hg::shadingBandLimits(drowned, 0.0f, -80.0f, 0.0f, percentiles);
        EXPECT_EQ(limits, (std::array<float, 3>{-80.0f, -80.0f, -80.0f}));
        const auto bands = hg::shadingBands(kDefaults, limits, true, 0.0f, -80.0f, 0.0f);
        for (float h : drowned) expectColour(bands.at(h), hg::solidColour(0x84BDF6));
        // Without the sea colour the colours are still numbers.
        const auto dry = hg::shadingBands(kDefaults, limits, false, 0.0f, -80.0f, 0.0f);
        for (float h : drowned)
            for (float c : dry.at(h)) EXPECT_TRUE(std::isfinite(c));
    }
    // A flat plateau: every band has no width and gives its start colour.
    const auto flat = hg::shadingBandLimits({100.0f, 100.0f}, 0.0f, 100.0f, 100.0f, false);
    const auto bands = hg::shadingBands(kDefaults, flat, true, 0.0f, 100.0f, 100.0f);
    expectColour(bands.at(100.0f), hg::solidColour(0xCA7440));
}

TEST(ShadingBands, SettingsKeysChooseTheColoursAndTheLimits) {
    hgtest::ScopedHome home;
    const hg::ShadingSettings fresh = hg::readShadingSettings(hg::userSettings());
    EXPECT_EQ(fresh.sea, kDefaults.sea);
    EXPECT_EQ(fresh.land, kDefaults.land);
    EXPECT_FALSE(fresh.percentiles);

    hgtest::writeFile(home.path() / "Hillglimmer.ini",
                      "[Hillglimmer]\nseaColor=0000ff\nfirstColor=0x00FF00\nfifthColor=white\n"
                      "adjColRange=-1\n");
    const hg::ShadingSettings s = hg::readShadingSettings(hg::userSettings());
    EXPECT_EQ(s.sea, 0x0000FFu);
    EXPECT_EQ(s.land[0], 0x00FF00u);
    EXPECT_EQ(s.land[1], 0x4CBA4Cu);
    EXPECT_EQ(s.land[4], 0u);
    EXPECT_TRUE(s.percentiles);
}

// Pure hues that a lit pixel still shows.
constexpr const char* kLoudColours =
    "[Hillglimmer]\nfirstColor=0x0000FF\nsecondColor=0x0000FF\nthirdColor=0xFF0000\n"
    "fourthColor=0xFF0000\nfifthColor=0xFF0000\n";

constexpr std::uint32_t kBack = 0x102030;
constexpr int kW = 320, kH = 240;

std::unique_ptr<hg::CViewSettings> saverRecord(int drawType) {
    auto s = hg::createViewSettings(drawType);
    s->yFactor = 1.4;
    s->speed = 2.0;
    s->backColor = kBack;
    return s;
}

struct Counts {
    int background = 0, terrain = 0, blue = 0, red = 0, cyan = 0;
};

Counts count(const Pixels& p) {
    const Rgb back = hgtest::unpacked(kBack);
    Counts n;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const Rgb c = pixel(p, kW, x, y);
            if (c == back) {
                ++n.background;
                continue;
            }
            ++n.terrain;
            n.blue += c.b > c.r + 40 && c.b > c.g + 40;
            n.red += c.r > c.b + 40 && c.r > c.g + 40;
            // Lit cyan: green and blue alike (the highlights are grey), red
            // well below them.
            n.cyan += std::abs(c.g - c.b) <= 2 && c.g > c.r + 10;
        }
    }
    return n;
}

void expectBackgroundCorners(const Pixels& p) {
    const Rgb back = hgtest::unpacked(kBack);
    for (auto [x, y] : {std::pair{0, 0}, {kW - 1, 0}, {0, kH - 1}, {kW - 1, kH - 1}})
        EXPECT_EQ(pixel(p, kW, x, y), back) << x << ", " << y;
}

// Draws two frames of the bundled terrain with the style the table makes,
// the settings file holding the loud Shading colours.
std::pair<Pixels, Pixels> bundledFrames(int drawType, hg::EglOffscreenTarget& target) {
    hgtest::ScopedHome home;
    hgtest::writeFile(home.path() / "Hillglimmer.ini", kLoudColours);
    Shown shown;
    auto draw = hg::createDraw(drawType, hg::userSettings());
    auto s = saverRecord(drawType);
    EXPECT_EQ(draw->initialise(&target, *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1)
        << shown.first();
    EXPECT_EQ(draw->nextFrame(), 1);
    Pixels first = target.readPixels();
    EXPECT_EQ(draw->nextFrame(), 1);
    Pixels second = target.readPixels();
    draw->release();
    return {std::move(first), std::move(second)};
}

TEST(OffscreenShading, BundledTerrainShowsTheBandsOnTheBackgroundAndTurns) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(target, kW, kH);
    const auto [first, second] = bundledFrames(hg::kDrawShading, *target);
    expectBackgroundCorners(first);
    const Counts n = count(first);
    EXPECT_GT(n.background, kW * kH / 10);
    EXPECT_GT(n.terrain, kW * kH / 10);
    // Both ends of the ramp the settings file asked for show.
    EXPECT_GT(n.blue, n.terrain / 20);
    EXPECT_GT(n.red, n.terrain / 20);
    EXPECT_GT(hgtest::changedPixels(first, second), kW * kH / 100);
}

TEST(OffscreenCyan, BundledTerrainIsCyanWhateverTheShadingColours) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(target, kW, kH);
    const auto [first, second] = bundledFrames(hg::kDrawCyan, *target);
    expectBackgroundCorners(first);
    const Counts n = count(first);
    EXPECT_GT(n.background, kW * kH / 10);
    EXPECT_GT(n.terrain, kW * kH / 10);
    EXPECT_EQ(n.red, 0);
    // Grey undersides may peep through at a silhouette, nothing more.
    EXPECT_GT(n.cyan, n.terrain * 95 / 100);
    EXPECT_GT(hgtest::changedPixels(first, second), kW * kH / 100);
}

TEST(OffscreenShading, EveryVertexIsColouredByItsOwnHeight) {
    REQUIRE_TARGET(target, 160, 120);
    Shown shown;
    hg::CDrawShading draw(kDefaults);
    auto s = saverRecord(hg::kDrawShading);
    s->yFactor = 1.0;
    s->meshBlock = 1.0;
    ASSERT_EQ(draw.initialiseWith(target.get(), *s, hgtest::islandMaker(40, 30)), 1)
        << shown.first();
    const hg::GridView g = draw.grid();
    const std::vector<float>& colour = draw.colourArray();
    const std::vector<float>& v = draw.terrain().vertices;
    ASSERT_EQ(colour.size(), g.vertexCount() * 4);
    const hg::ColourBands bands =
        hg::shadingBands(kDefaults, draw.bandLimits(), true, draw.terrain().seaLevel,
                         draw.bounds().minY, draw.bounds().maxY);
    int sea = 0;
    // Grid vertices and cell centres alike.
    for (std::size_t k = 0; k < g.vertexCount(); ++k) {
        const Rgba want = bands.at(v[k * 3 + 1]);
        for (std::size_t c = 0; c < 4; ++c) ASSERT_EQ(colour[k * 4 + c], want[c]) << k;
        sea += v[k * 3 + 1] <= draw.terrain().seaLevel;
    }
    EXPECT_GT(sea, 100);
    draw.release();
}

}  // namespace
