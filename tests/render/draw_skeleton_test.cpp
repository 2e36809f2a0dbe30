// SPDX-License-Identifier: MIT
#include "render/draw_skeleton.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "render/styles.h"
#include "support/offscreen_support.h"
#include "support/test_support.h"

namespace {

using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;

void expectRgb(const hg::Rgba& c, float r, float g, float b) {
    EXPECT_NEAR(c[0], r, 1e-5f);
    EXPECT_NEAR(c[1], g, 1e-5f);
    EXPECT_NEAR(c[2], b, 1e-5f);
}

TEST(SkeletonStyle, MaterialsByThirdsOfTheLand) {
    // Land from 0 to 300 above a sea at -10: thirds of 100.
    auto at = [](float y) { return hg::skeletonMaterial(y, true, -10.0f, 0.0f, 300.0f); };
    // The summit runs to t = 2, stored unclamped.
    const hg::SkeletonMaterial top = at(300.0f);
    expectRgb(top.diffuse, 2.0f, -0.4f, 1.0f);
    expectRgb(top.specular, 1.5f, 1.5f, 1.5f);
    EXPECT_NEAR(top.shininess, 34.0f, 1e-4f);
    // Exactly a third up: the upper band at t = 0, where the lower one ends.
    const hg::SkeletonMaterial third = at(100.0f);
    expectRgb(third.diffuse, 0.0f, 0.4f, 1.0f);
    expectRgb(third.specular, 0.5f, 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(third.shininess, 14.0f);
    const hg::SkeletonMaterial bottom = at(0.0f);
    expectRgb(bottom.diffuse, 0.0f, 0.0f, 0.4f);
    EXPECT_FLOAT_EQ(bottom.shininess, 8.0f);

    // The sea, and the land measured from sea level when it reaches down.
    const hg::SkeletonMaterial sea = hg::skeletonMaterial(0.0f, true, 0.0f, -50.0f, 300.0f);
    expectRgb(sea.diffuse, 0.2f, 0.6f, 1.0f);
    expectRgb(sea.specular, 1.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(sea.shininess, 24.0f);
    expectRgb(hg::skeletonMaterial(100.0f, true, 0.0f, -50.0f, 300.0f).diffuse, 0.0f, 0.4f, 1.0f);

    // Land of no height, or all of it under the sea: no thirds to divide
    // by, and no NaN.
    for (const hg::SkeletonMaterial& m : {hg::skeletonMaterial(5.0f, true, 0.0f, 5.0f, 5.0f),
                                          hg::skeletonMaterial(-3.0f, false, 0.0f, -9.0f, -3.0f),
                                          hg::skeletonMaterial(-3.0f, false, 0.0f, -3.0f, -3.0f)}) {
        for (float v : m.diffuse) EXPECT_TRUE(std::isfinite(v));
        EXPECT_TRUE(std::isfinite(m.shininess));
    }
}

TEST(SkeletonStyle, LightingWorkedOutAsThePipelineDoesIt) {
    const hg::LightTable table = hg::skeletonLights();
    const hg::DirectionalLighting still(table, 0.0f, 0.0f);
    const hg::Rgba d{0.5f, 0.5f, 0.5f, 0.5f}, s{1.0f, 1.0f, 1.0f, 1.0f};
    // Facing away from both lights: the scene's ambient alone.
    const float away[] = {-0.57735f, -0.57735f, -0.57735f};
    const hg::Rgba dark = still.colour(away, d, s, 9.0f);
    expectRgb(dark, 0.1f, 0.1f, 0.1f);
    EXPECT_FLOAT_EQ(dark[3], 0.5f);
    // Facing the key light head on, with no highlight material: ambient
    // plus the full diffuse.
    const float key[] = {0.57735f, 0.57735f, 0.57735f};
    expectRgb(still.colour(key, d, {0, 0, 0, 1}, 9.0f), 0.33f, 0.33f, 0.33f);
    // Channels beyond the range are clamped as the pipeline clamps them.
    const hg::Rgba over = still.colour(key, {2.0f, -0.4f, 1.0f, 0.5f}, s, 9.0f);
    EXPECT_FLOAT_EQ(over[0], 1.0f);
    EXPECT_GE(over[1], 0.0f);
    // Turned half round, the same normal faces away from both.
    const hg::DirectionalLighting turned(table, 0.0f, 180.0f);
    const float sideways[] = {-0.57735f, 0.57735f, -0.57735f};
    expectRgb(turned.colour(sideways, d, {0, 0, 0, 1}, 9.0f), 0.33f, 0.33f, 0.33f);
}

std::unique_ptr<hg::CViewSettings> skeletonRecord(double turn) {
    auto s = hg::createViewSettings(hg::kDrawSkeleton);
    s->yFactor = 1.0;
    s->meshBlock = 1.0;
    s->yAngle = turn;
    s->backColor = 0x302010;
    return s;
}

TEST(OffscreenSkeleton, CellsGoOutFarFirstForTheTurn) {
    REQUIRE_TARGET(target, 64, 48);
    hgtest::Shown shown;
    hg::CDrawSkeleton draw;
    auto s = skeletonRecord(10.0);
    ASSERT_EQ(draw.initialiseWith(target.get(), *s, hgtest::islandMaker(12, 9)), 1)
        << shown.first();
    // Rows up, columns down.
    EXPECT_EQ(draw.drawIndices(), hg::buildIndexList(12, 9, 7));
    // Columns up, rows down.
    s->speed = 110.0;
    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_FLOAT_EQ(draw.turn(), -100.0f);
    EXPECT_EQ(draw.drawIndices(), hg::buildIndexList(12, 9, 2));
    draw.release();
}

TEST(OffscreenSkeleton, PrecomputedLightingMatchesMaterialsPerVertex) {
    REQUIRE_TARGET(target, 200, 150);
    hgtest::Shown shown;
    for (double turn : {-22.5, 60.0, -150.0}) {
        SCOPED_TRACE(turn);
        hg::CDrawSkeleton draw;
        auto s = skeletonRecord(turn);
        ASSERT_EQ(draw.initialiseWith(target.get(), *s, hgtest::islandMaker(40, 30)), 1)
            << shown.first();
        const Pixels fast = target->readPixels();
        draw.setLiteralMaterials(true);
        s->speed = 0.0;
        ASSERT_EQ(draw.nextFrame(), 1);
        ASSERT_EQ(draw.nextFrame(), 1);
        const Pixels literal = target->readPixels();
        // Rounding may tip a channel by a step or two, never more.
        int off = 0, worst = 0;
        for (std::size_t i = 0; i < fast.size(); ++i) {
            if (i % 4 == 3) continue;
            const int d = std::abs(fast[i] - literal[i]);
            worst = std::max(worst, d);
            off += d > 2;
        }
        EXPECT_LE(worst, 6);
        EXPECT_LT(off, 20);
        draw.release();
    }
}

// A wall along the near edge of the land, and behind it either nothing or
// a hill the wall hides from the eye.
std::vector<float> wallHeights(bool hill) {
    std::vector<float> h(40 * 40, 0.0f);
    for (int r = 0; r < 40; ++r) {
        for (int c = 0; c < 40; ++c) {
            float v = r >= 36 ? 2000.0f : 0.0f;
            if (hill && r >= 10 && r < 20 && c >= 15 && c < 25) v = 300.0f;
            h[static_cast<std::size_t>(r) * 40 + c] = v;
        }
    }
    return h;
}

Pixels wallFrame(hg::EglOffscreenTarget* target, bool hill) {
    hgtest::Shown shown;
    hg::CDrawSkeleton draw;
    auto s = skeletonRecord(0.0);
    EXPECT_EQ(draw.initialiseWith(target, *s, hgtest::gridMaker(40, 40, wallHeights(hill))), 1)
        << shown.first();
    Pixels p = target->readPixels();
    draw.release();
    return p;
}

TEST(OffscreenSkeleton, HiddenSlopesShowThroughTheNearOnes) {
    REQUIRE_TARGET(target, 160, 120);
    const Pixels bare = wallFrame(target.get(), false);
    const Pixels hill = wallFrame(target.get(), true);
    // Where the wall stands in both pictures, the hill behind it tints it.
    const Rgb back = hgtest::unpacked(0x302010);
    int tinted = 0;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            const Rgb a = pixel(bare, 160, x, y), b = pixel(hill, 160, x, y);
            tinted += !(a == back) && !(b == back) && !(a == b);
        }
    }
    EXPECT_GT(tinted, 200);
}

// The glass pass drawn only where the surface folds over itself gives the
// picture the whole pass gives: blending a colour over itself may round a
// step, nothing more.
TEST(OffscreenSkeleton, GlassOnlyWhereTheSurfaceFoldsKeepsThePicture) {
    REQUIRE_TARGET(target, 400, 300);
    const std::pair<hg::CDraw::MeshMaker, hg::CellShape> cases[] = {
        {hgtest::islandMaker(40, 30), hg::CellShape::CentreFan},
        {hgtest::islandMaker(90, 70), hg::CellShape::TwoTriangles},
        {hgtest::gridMaker(40, 40, wallHeights(true)), hg::CellShape::CentreFan}};
    hgtest::Shown shown;
    for (const auto& [maker, shape] : cases) {
        for (double turn : {0.0, -35.0, 100.0, -170.0}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(shape) << ", turn " << turn);
            hg::CDrawSkeleton draw;
            draw.setCellShape(shape);
            auto s = skeletonRecord(turn);
            ASSERT_EQ(draw.initialiseWith(target.get(), *s, maker), 1) << shown.first();
            const Pixels cut = target->readPixels();
            // Some of the surface folds, and some lies clear of every fold.
            EXPECT_GT(draw.glassEntries(), 0u);
            EXPECT_LT(draw.glassEntries(), draw.drawIndices().size() * 9 / 10);
            draw.setWholeGlassPass(true);
            s->speed = 0.0;
            ASSERT_EQ(draw.nextFrame(), 1);
            const Pixels whole = target->readPixels();
            int worst = 0;
            for (std::size_t i = 0; i < cut.size(); ++i)
                if (i % 4 != 3) worst = std::max(worst, std::abs(cut[i] - whole[i]));
            EXPECT_LE(worst, 1);
            draw.release();
        }
    }
}

TEST(OffscreenSkeleton, BundledTerrainGlassyBlueToMagentaTurning) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(target, 320, 240);
    hgtest::ScopedHome home;
    hgtest::Shown shown;
    hg::CDrawSkeleton draw;
    auto s = hg::createViewSettings(hg::kDrawSkeleton);
    s->yFactor = 1.4;
    s->backColor = 0x302010;
    ASSERT_EQ(draw.initialise(target.get(), *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1)
        << shown.first();
    ASSERT_EQ(draw.nextFrame(), 1);
    const Pixels first = target->readPixels();
    const Rgb back = hgtest::unpacked(0x302010);
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}})
        EXPECT_EQ(pixel(first, 320, x, y), back);
    int background = 0, blue = 0, magenta = 0, green = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const Rgb c = pixel(first, 320, x, y);
            if (c == back) {
                ++background;
            } else if (c.b > c.r + 20 && c.b > c.g) {
                ++blue;
            } else if (c.r > c.g + 40 && c.b > c.g + 40) {
                ++magenta;
            } else if (c.g > c.r + 20 && c.g > c.b + 20) {
                ++green;
            }
        }
    }
    EXPECT_GT(background, 320 * 240 / 10);
    EXPECT_GT(blue, 1000);
    EXPECT_GT(magenta, 50);
    EXPECT_EQ(green, 0);

    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_GT(hgtest::changedPixels(first, target->readPixels()), 320 * 240 / 100);
    draw.release();
}

}  // namespace
