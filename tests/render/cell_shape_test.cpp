// SPDX-License-Identifier: MIT
// Cells cut in two triangles instead of four around the centre: the same
// cells and corners, and a picture that differs from the fans' by no more
// than the tolerance below on a fine grid at a common screen size.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "platform/profile_store.h"
#include "render/checker_texture.h"
#include "render/draw_check.h"
#include "render/styles.h"
#include "render/terrain_helpers.h"
#include "settings/settings.h"
#include "support/offscreen_support.h"

namespace {

using hg::CellShape;

TEST(CellShape, TwoTrianglesCutEachFanCellAlongOneDiagonal) {
    const int cols = 4, rows = 3;
    for (int order = 0; order < 8; ++order) {
        SCOPED_TRACE(order);
        const auto fans = hg::buildIndexList(cols, rows, order, CellShape::CentreFan);
        const auto split = hg::buildIndexList(cols, rows, order, CellShape::TwoTriangles);
        ASSERT_EQ(fans.size(), 6u * 12u);
        ASSERT_EQ(split.size(), 6u * 6u);
        for (std::size_t c = 0; c < 6; ++c) {
            // The fan's corners in turn: m p0 p1, m p1 p2, m p2 p3, m p3 p0.
            const std::uint32_t p0 = fans[c * 12 + 1], p1 = fans[c * 12 + 2], p2 = fans[c * 12 + 5],
                                p3 = fans[c * 12 + 8];
            const std::vector<std::uint32_t> want = {p0, p1, p3, p1, p2, p3};
            EXPECT_TRUE(std::equal(want.begin(), want.end(), split.begin() + c * 6)) << c;
        }
    }

    // Check's board coordinates go with the same corners.
    const auto fanCoords = hg::checkerCoords(cols, rows, 0, CellShape::CentreFan);
    const auto splitCoords = hg::checkerCoords(cols, rows, 0, CellShape::TwoTriangles);
    ASSERT_EQ(splitCoords.size(), fanCoords.size() / 2);
    for (std::size_t c = 0; c < 6; ++c) {
        for (const auto& [splitEntry, fanEntry] :
             {std::pair{0, 1}, {1, 2}, {2, 8}, {3, 2}, {4, 5}, {5, 8}}) {
            for (std::size_t k = 0; k < 2; ++k) {
                EXPECT_EQ(splitCoords[c * 12 + static_cast<std::size_t>(splitEntry) * 2 + k],
                          fanCoords[c * 24 + static_cast<std::size_t>(fanEntry) * 2 + k]);
            }
        }
    }
}

// The triangles a strip draws, as OpenGL reads it: every odd one turned
// back, those with a repeated vertex dropped (they have no area).
std::vector<std::array<std::uint32_t, 3>> stripTriangles(const std::vector<std::uint32_t>& s) {
    std::vector<std::array<std::uint32_t, 3>> out;
    for (std::size_t k = 0; k + 2 < s.size(); ++k) {
        std::array<std::uint32_t, 3> t = k % 2 == 0 ? std::array{s[k], s[k + 1], s[k + 2]}
                                                    : std::array{s[k + 1], s[k], s[k + 2]};
        if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) continue;
        out.push_back(t);
    }
    return out;
}

// A triangle started from its least index: the same triangle with the same
// winding compares equal however it was started.
std::array<std::uint32_t, 3> canonical(std::array<std::uint32_t, 3> t) {
    while (t[0] > t[1] || t[0] > t[2]) t = {t[1], t[2], t[0]};
    return t;
}

TEST(CellShape, StripsDrawTheTwoTriangleCellsInTheSameOrder) {
    for (const auto& [cols, rows] : {std::pair{4, 3}, {2, 5}, {6, 2}, {2, 2}}) {
        for (int order = 0; order < 8; ++order) {
            SCOPED_TRACE(testing::Message() << cols << " x " << rows << ", order " << order);
            const auto list = hg::buildIndexList(cols, rows, order, CellShape::TwoTriangles);
            const auto strip = stripTriangles(hg::buildStripList(cols, rows, order));
            ASSERT_EQ(strip.size() * 3, list.size());
            // Cell by cell, the same two triangles, wound the same way.
            for (std::size_t c = 0; c < strip.size() / 2; ++c) {
                std::array<std::array<std::uint32_t, 3>, 2> a = {canonical(strip[c * 2]),
                                                                 canonical(strip[c * 2 + 1])};
                std::array<std::array<std::uint32_t, 3>, 2> b = {
                    canonical({list[c * 6], list[c * 6 + 1], list[c * 6 + 2]}),
                    canonical({list[c * 6 + 3], list[c * 6 + 4], list[c * 6 + 5]})};
                std::sort(a.begin(), a.end());
                std::sort(b.begin(), b.end());
                EXPECT_EQ(a, b) << "cell " << c;
            }
        }
    }
}

TEST(CellShape, AutoSplitsOnlyGridsFinerThanTheLimit) {
    const int limit = hg::kFanCellLimit;
    const struct {
        int cols, rows;
        CellShape asked, want;
    } cases[] = {
        {limit + 1, limit + 1, CellShape::Auto, CellShape::CentreFan},
        {20, limit + 2, CellShape::Auto, CellShape::TwoTriangles},
        {201, 201, CellShape::CentreFan, CellShape::CentreFan},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hg::resolveCellShape(c.cols, c.rows, c.asked), c.want)
            << c.cols << " x " << c.rows;
    }
}

struct Picture {
    hgtest::Pixels pixels;
    int drawn = 0;  // pixels not of the background
};

// The bundled terrain thinned as numMesh says, a few turns on, where the
// blended normals mix two sets. before, when given, sets the object up.
Picture draw(std::unique_ptr<hg::CDraw> d, int type, CellShape shape, int w, int h,
             int numMesh = 0) {
    hg::EglOffscreenTarget target(w, h);
    auto s = hg::createViewSettings(type);
    s->yFactor = hg::altitudeFactorAt(hg::def::yFactor);
    s->speed = hg::speedAt(hg::def::speed);
    s->meshBlock = hg::meshBlockFor(numMesh);
    d->setCellShape(shape);
    EXPECT_EQ(d->initialise(&target, *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1);
    for (int k = 0; k < 3; ++k) d->nextFrame();
    Picture p;
    p.pixels = target.readPixels();
    const hgtest::Rgb back = hgtest::pixel(p.pixels, w, 0, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.drawn += !(hgtest::pixel(p.pixels, w, x, y) == back);
    d->release();
    return p;
}

// The mean of each channel over the block of kBlock x kBlock pixels at
// (bx, by) in blocks.
constexpr int kBlock = 4;
std::array<double, 3> blockMean(const hgtest::Pixels& p, int w, int bx, int by) {
    std::array<double, 3> sum{};
    for (int y = by * kBlock; y < (by + 1) * kBlock; ++y) {
        for (int x = bx * kBlock; x < (bx + 1) * kBlock; ++x) {
            const hgtest::Rgb c = hgtest::pixel(p, w, x, y);
            sum[0] += c.r, sum[1] += c.g, sum[2] += c.b;
        }
    }
    for (double& v : sum) v /= kBlock * kBlock;
    return sum;
}

// The tolerance, on what the eye takes in at a cell of a few pixels: the
// pictures averaged over blocks of 4 x 4 pixels, the blocks differ by at
// most 4 levels of 255 a channel on average, and by more than 24 in no more
// than 1 % of the blocks. Single pixels differ more, where a ridge's edge
// moves by one; that is no more visible than the turn of one frame.
void expectLookAlike(const Picture& want, const Picture& got, int w, int h) {
    ASSERT_GT(want.drawn, w * h / 10) << "the terrain should fill much of the picture";
    EXPECT_NEAR(got.drawn, want.drawn, want.drawn / 100);
    double sum = 0.0;
    int far = 0;
    for (int by = 0; by < h / kBlock; ++by) {
        for (int bx = 0; bx < w / kBlock; ++bx) {
            const auto a = blockMean(want.pixels, w, bx, by);
            const auto b = blockMean(got.pixels, w, bx, by);
            if (a == b) continue;  // the background, or nothing changed
            double worst = 0.0;
            for (std::size_t k = 0; k < 3; ++k) {
                sum += std::fabs(a[k] - b[k]);
                worst = std::max(worst, std::fabs(a[k] - b[k]));
            }
            far += worst > 24.0;
        }
    }
    const int drawnBlocks = want.drawn / (kBlock * kBlock);
    const double mean = sum / (3.0 * drawnBlocks);
    EXPECT_LE(mean, 4.0);
    EXPECT_LE(far, drawnBlocks / 100);
}

class CellShapePicture : public testing::TestWithParam<int> {};

TEST_P(CellShapePicture, TwoTrianglesLookLikeTheFansOnAFineGrid) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(probe, 8, 8);
    probe.reset();
    const int w = 1024, h = 768, type = GetParam();
    auto fans = hg::createDraw(type, hg::userSettings());
    auto split = hg::createDraw(type, hg::userSettings());
    const Picture a = draw(std::move(fans), type, CellShape::CentreFan, w, h);
    const Picture b = draw(std::move(split), type, CellShape::TwoTriangles, w, h);
    expectLookAlike(a, b, w, h);
}

class CheckCornerPicture : public testing::TestWithParam<std::pair<int, CellShape>> {};

// Check's board coordinates shared by the cells around a vertex draw what
// coordinates of each cell's own draw, at every size of check: whole
// boards, quarters of one cell and of two.
TEST_P(CheckCornerPicture, SharedCornersLookLikeCornersOfTheirOwn) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(probe, 8, 8);
    probe.reset();
    const int w = 1024, h = 768;
    const auto [numMesh, shape] = GetParam();
    auto own = std::make_unique<hg::CDrawCheck>();
    own->setCornerCoords(true);
    const Picture a = draw(std::move(own), hg::kDrawCheck, shape, w, h, numMesh);
    const Picture b =
        draw(std::make_unique<hg::CDrawCheck>(), hg::kDrawCheck, shape, w, h, numMesh);
    expectLookAlike(a, b, w, h);
}

INSTANTIATE_TEST_SUITE_P(Thinnings, CheckCornerPicture,
                         testing::Values(std::pair{0, CellShape::TwoTriangles},
                                         std::pair{0, CellShape::CentreFan},
                                         std::pair{1, CellShape::CentreFan},
                                         std::pair{2, CellShape::CentreFan}));

// Shading, Wine, Cyan, Flower, Check, Skeleton: the styles drawn as a lit
// surface of cells.
INSTANTIATE_TEST_SUITE_P(SurfaceStyles, CellShapePicture, testing::Values(1, 2, 3, 4, 5, 6));

}  // namespace
