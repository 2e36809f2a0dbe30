// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "platform/profile_store.h"
#include "render/draw_check.h"
#include "render/draw_wine.h"
#include "render/styles.h"
#include "support/offscreen_support.h"

namespace {

using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;

constexpr Rgb kBack{0x10, 0x20, 0x30};

// Blue, green, red of the pixel in bitmap row `row` (counted from the
// bottom) and column `col`.
Rgb bitmapPixel(const hg::WinePicture& p, int row, int col) {
    const std::uint8_t* at = &p.pixels[static_cast<std::size_t>(row) * hg::bitmapRowBytes(p.width) +
                                       static_cast<std::size_t>(col) * 3];
    return {at[2], at[1], at[0]};
}

int difference(const Rgb& a, const Rgb& b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

TEST(WinePicture, MottledPinksAndWhiteThatTileWithoutSeams) {
    const hg::WinePicture p = hg::winePicture();
    ASSERT_EQ(p.width, 128);
    ASSERT_EQ(p.height, 128);
    EXPECT_EQ(hg::bitmapRowBytes(128), 384u);
    EXPECT_EQ(hg::bitmapRowBytes(5), 16u);  // 15 bytes padded to four
    ASSERT_EQ(p.pixels.size(), 384u * 128u);

    int white = 0, deep = 0, steepest = 0;
    for (int row = 0; row < p.height; ++row) {
        for (int col = 0; col < p.width; ++col) {
            const Rgb c = bitmapPixel(p, row, col);
            // Pink or white: red full or nearly, blue at least green. A
            // picture written red first would fail here.
            ASSERT_GE(c.r, 220) << row << ", " << col;
            ASSERT_GE(c.b, c.g) << row << ", " << col;
            ASSERT_GE(c.r, c.b) << row << ", " << col;
            white += c.g >= 250;
            deep += c.g < 160;
            if (col + 1 < p.width)
                steepest = std::max(steepest, difference(c, bitmapPixel(p, row, col + 1)));
            if (row + 1 < p.height)
                steepest = std::max(steepest, difference(c, bitmapPixel(p, row + 1, col)));
        }
    }
    const int all = p.width * p.height;
    EXPECT_GT(white, all / 10);
    EXPECT_GT(deep, all / 50);
    // Blotches, not noise: neighbours differ little, and no more across the
    // wrapped edges than inside.
    EXPECT_LT(steepest, 40);
    for (int k = 0; k < 128; ++k) {
        EXPECT_LE(difference(bitmapPixel(p, k, 0), bitmapPixel(p, k, 127)), steepest) << k;
        EXPECT_LE(difference(bitmapPixel(p, 0, k), bitmapPixel(p, 127, k)), steepest) << k;
    }
}

TEST(CheckStyle, ThinningComesBackFromTheBlockSize) {
    EXPECT_EQ(hg::thinningOf(1.0), 0);
    EXPECT_EQ(hg::thinningOf(2.0), 1);
    EXPECT_EQ(hg::thinningOf(4.0), 2);
    EXPECT_EQ(hg::thinningOf(8.0), 3);
    // A record that never went through the settings keeps the default.
    EXPECT_EQ(hg::thinningOf(0.0), 2);
    EXPECT_EQ(hg::thinningOf(3.0), 2);
}

// The record of the saver looking straight down on an unturned terrain,
// drawn with a box projection so that the ground maps evenly to pixels.
std::unique_ptr<hg::CViewSettings> topView(double meshBlock) {
    auto s = hg::createViewSettings(hg::kDrawCheck);
    s->yFactor = 1.0;
    s->meshBlock = meshBlock;
    s->xAngle = -90.0;
    s->yAngle = 0.0;
    s->speed = 0.0;
    s->perspective = 0;
    s->backColor = 0x102030;
    return s;
}

TEST(OffscreenCheck, FlatGroundShowsTheSameBoardOfTwoGreensAtEveryThinning) {
    constexpr int kSide = 240, kSamples = 17;
    REQUIRE_TARGET(target, kSide, kSide);
    // Whatever the thinning, a check is two samples wide, grey at the
    // north-west corner.
    for (const double block : {1.0, 2.0, 4.0}) {
        SCOPED_TRACE(block);
        hgtest::Shown shown;
        hg::CDrawCheck draw;
        auto s = topView(block);
        ASSERT_EQ(
            draw.initialiseWith(target.get(), *s,
                                hgtest::gridMaker(kSamples, kSamples,
                                                  std::vector<float>(kSamples * kSamples, 100.0f))),
            1)
            << shown.first();
        ASSERT_EQ(draw.nextFrame(), 1);
        const Pixels p = target->readPixels();
        EXPECT_EQ(pixel(p, kSide, 0, 0), kBack);

        const hg::Bounds& b = draw.bounds();
        const double a = 0.5 * std::max(b.maxX - b.minX, b.maxZ - b.minZ) * s->distanceFactor;
        const double cell = (b.maxX - b.minX) / (s->numCols - 1);
        const double check = cell * 2.0 / block;
        const int checks = static_cast<int>(std::lround((b.maxX - b.minX) / check));
        ASSERT_GE(checks, 6);
        Rgb grey{}, white{};
        for (int row = 0; row < checks; ++row) {
            for (int col = 0; col < checks; ++col) {
                const double x = b.minX + (col + 0.5) * check, z = b.minZ + (row + 0.5) * check;
                // Looking down, +x is to the right and +z towards the
                // bottom of the picture; rows are read top first.
                const Rgb c = pixel(p, kSide, static_cast<int>((x / a + 1.0) * kSide / 2),
                                    static_cast<int>((z / a + 1.0) * kSide / 2));
                Rgb& level = (row + col) % 2 == 0 ? grey : white;
                if (row + col < 2) level = c;
                EXPECT_LE(std::abs(c.g - level.g), 3) << row << ", " << col;
                EXPECT_LE(std::abs(c.r - level.r) + std::abs(c.b - level.b), 6)
                    << row << ", " << col;
            }
        }
        EXPECT_GT(grey.g, grey.r + 40);
        EXPECT_GT(grey.g, grey.b);
        EXPECT_GT(white.g, grey.g * 3 / 2);
        EXPECT_EQ(draw.release(), 1);
    }
}

// The bundled terrain at the saver's defaults: the background round it,
// every terrain pixel in the style's colour, and the next tick's turn
// changing the picture.
void checkBundledFrames(int drawType, const std::function<bool(const Rgb&)>& styleColour) {
    REQUIRE_TARGET(target, 320, 240);
    hgtest::Shown shown;
    std::unique_ptr<hg::CDraw> draw = hg::createDraw(drawType, hg::userSettings());
    auto s = hg::createViewSettings(drawType);
    s->yFactor = 1.4;
    s->backColor = 0x102030;
    ASSERT_EQ(draw->initialise(target.get(), *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1)
        << shown.first();
    ASSERT_EQ(draw->nextFrame(), 1);
    const Pixels first = target->readPixels();
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}})
        EXPECT_EQ(pixel(first, 320, x, y), kBack) << x << ", " << y;

    int terrain = 0, coloured = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const Rgb c = pixel(first, 320, x, y);
            if (c == kBack) continue;
            ++terrain;
            coloured += styleColour(c);
        }
    }
    EXPECT_GT(terrain, 320 * 240 / 10);
    EXPECT_GT(coloured, terrain * 9 / 10) << coloured << " of " << terrain;

    ASSERT_EQ(draw->nextFrame(), 1);
    EXPECT_GT(hgtest::changedPixels(first, target->readPixels()), 320 * 240 / 100);
    EXPECT_EQ(draw->release(), 1);
}

TEST(OffscreenWineCheck, BundledTerrainInTheStylesColoursTurning) {
    REQUIRE_BUNDLED_TERRAIN();
    {
        SCOPED_TRACE("Wine");
        checkBundledFrames(hg::kDrawWine,
                           [](const Rgb& c) { return c.r > c.g + 30 && c.b > c.g && c.r >= c.b; });
    }
    {
        SCOPED_TRACE("Check");
        checkBundledFrames(hg::kDrawCheck,
                           [](const Rgb& c) { return c.g > c.r + 30 && c.g > c.b; });
    }
}

}  // namespace
