#include "render/draw_check.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/styles.h"
#include "render/terrain_helpers.h"
#include "support/offscreen_support.h"

namespace {

using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;

TEST(CheckStyle, ThinningComesBackFromTheBlockSize) {
    EXPECT_EQ(hg::thinningOf(1.0), 0);
    EXPECT_EQ(hg::thinningOf(2.0), 1);
    EXPECT_EQ(hg::thinningOf(4.0), 2);
    EXPECT_EQ(hg::thinningOf(8.0), 3);
    // A record that never went through the settings keeps the default.
    EXPECT_EQ(hg::thinningOf(0.0), 2);
    EXPECT_EQ(hg::thinningOf(3.0), 2);
}

TEST(CheckStyle, CornersFollowTheIndexList) {
    // One cell: four corners and the centre behind them.
    std::vector<float> v = {0, 1, 0, 10, 2, 0, 0, 3, 10, 10, 4, 10, 0, 0, 0};
    hg::buildCellCentres(v, 2, 2);
    const auto indices = hg::buildIndexList(2, 2, 0);
    const auto corners = hg::cornerPositions(v, indices);
    ASSERT_EQ(corners.size(), 36u);
    // m, p0, p1: the centre, (0, 0), then the next row's first vertex.
    EXPECT_EQ(std::vector<float>(corners.begin(), corners.begin() + 9),
              (std::vector<float>{5, 2.5f, 5, 0, 1, 0, 0, 3, 10}));
    // The last corner closes the fan at p0.
    EXPECT_EQ(std::vector<float>(corners.end() - 3, corners.end()), (std::vector<float>{0, 1, 0}));
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
        EXPECT_EQ(pixel(p, kSide, 0, 0), (Rgb{0x10, 0x20, 0x30}));

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

bool isBack(const Rgb& c) {
    return c == Rgb{0x10, 0x20, 0x30};
}

TEST(OffscreenCheck, BundledTerrainIsGreenOnTheBackgroundAndTurns) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(target, 320, 240);
    hgtest::Shown shown;
    hg::CDrawCheck draw;
    auto s = hg::createViewSettings(hg::kDrawCheck);
    s->yFactor = 1.4;
    s->backColor = 0x102030;
    ASSERT_EQ(draw.initialise(target.get(), *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1)
        << shown.first();
    EXPECT_EQ(draw.thinning(), 2);
    ASSERT_EQ(draw.nextFrame(), 1);
    const Pixels first = target->readPixels();
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}})
        EXPECT_TRUE(isBack(pixel(first, 320, x, y))) << x << ", " << y;
    int terrain = 0, green = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const Rgb c = pixel(first, 320, x, y);
            if (isBack(c)) continue;
            ++terrain;
            green += c.g > c.r + 30 && c.g > c.b;
        }
    }
    EXPECT_GT(terrain, 320 * 240 / 10);
    EXPECT_GT(green, terrain * 9 / 10) << green << " of " << terrain;

    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_GT(hgtest::changedPixels(first, target->readPixels()), 320 * 240 / 100);
    EXPECT_EQ(draw.release(), 1);
}

}  // namespace
