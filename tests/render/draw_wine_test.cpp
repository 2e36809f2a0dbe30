#include "render/draw_wine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "render/styles.h"
#include "support/offscreen_support.h"

namespace {

using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;

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

bool isBack(const Rgb& c) {
    return c == Rgb{0x10, 0x20, 0x30};
}

TEST(OffscreenWine, BundledTerrainIsPinkOnTheBackgroundAndThePictureSlidesAsItTurns) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(target, 320, 240);
    hgtest::Shown shown;
    hg::CDrawWine draw;
    auto s = hg::createViewSettings(hg::kDrawWine);
    EXPECT_EQ(s->normalWeight, 1.0);
    s->yFactor = 1.4;
    s->backColor = 0x102030;
    ASSERT_EQ(draw.initialise(target.get(), *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1)
        << shown.first();
    ASSERT_EQ(draw.nextFrame(), 1);
    const Pixels first = target->readPixels();
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}})
        EXPECT_TRUE(isBack(pixel(first, 320, x, y))) << x << ", " << y;

    int terrain = 0, pink = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const Rgb c = pixel(first, 320, x, y);
            if (isBack(c)) continue;
            ++terrain;
            pink += c.r > c.g + 30 && c.b > c.g && c.r >= c.b;
        }
    }
    EXPECT_GT(terrain, 320 * 240 / 10);
    EXPECT_GT(pink, terrain * 9 / 10) << pink << " of " << terrain;

    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_GT(hgtest::changedPixels(first, target->readPixels()), 320 * 240 / 100);
    EXPECT_EQ(draw.release(), 1);
}

}  // namespace
