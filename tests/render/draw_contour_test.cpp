// SPDX-License-Identifier: MIT
#include "render/draw_contour.h"
#include "render/draw_mesh.h"
#include "render/draw_step.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <tuple>
#include <type_traits>
#include <vector>

#include "render/styles.h"
#include "support/offscreen_support.h"
#include "support/test_support.h"

namespace {

using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;

// One piece of the vertex stream: its level index and its two ends.
struct Piece {
    std::size_t level;
    hg::ContourSegment segment;
    bool operator==(const Piece& o) const {
        return level == o.level && segment.from == o.segment.from && segment.to == o.segment.to;
    }
};

std::vector<Piece> fastStream(std::span<const float> v, int cols, int rows,
                              const std::vector<double>& levels) {
    std::vector<Piece> out;
    hg::traceContourGrid(v, cols, rows, levels, [&](std::size_t k, const hg::ContourSegment& s) {
        out.push_back({k, s});
    });
    return out;
}

// The traversal as first laid down: every level in every cell, column
// outermost. The fast one must give exactly this stream.
std::vector<Piece> everyLevelStream(std::span<const float> v, int cols, int rows,
                                    const std::vector<double>& levels) {
    std::vector<Piece> out;
    for (int j = 0; j < cols - 1; ++j) {
        for (int i = 0; i < rows - 1; ++i) {
            const hg::ContourCell cell = hg::contourCell(v, cols, i, j);
            for (std::size_t k = 0; k < levels.size(); ++k) {
                hg::traceCentreFan(cell, levels[k], [&](const hg::ContourSegment& s) {
                    out.push_back({k, s});
                });
            }
        }
    }
    return out;
}

// Vertex triples of a grid 10 units apart (positions exact in float),
// heights by f(row, column).
template <class F>
std::vector<float> gridVertices(int cols, int rows, F f) {
    std::vector<float> v;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            v.push_back(static_cast<float>(j * 10));
            v.push_back(static_cast<float>(f(i, j)));
            v.push_back(static_cast<float>(i * 10));
        }
    }
    return v;
}

std::array<int, 3> bytes(const std::array<float, 3>& c) {
    return {static_cast<int>(std::lround(c[0] * 255)), static_cast<int>(std::lround(c[1] * 255)),
            static_cast<int>(std::lround(c[2] * 255))};
}

TEST(ContourColour, SeaQuartersAndFlatTerrain) {
    using C = std::array<int, 3>;
    // Land from 0 to 400: quarter limits 100, 200, 300.
    EXPECT_EQ(bytes(hg::contourLineColour(0.0, true, 0.0f, -50.0f, 400.0f)), (C{104, 179, 255}));
    EXPECT_EQ(bytes(hg::contourLineColour(-30.0, true, 0.0f, -50.0f, 400.0f)), (C{104, 179, 255}));
    // Without sea colours the lowest line takes the ramp's first colour.
    EXPECT_EQ(bytes(hg::contourLineColour(0.0, false, 0.0f, -50.0f, 400.0f)), (C{33, 140, 191}));
    EXPECT_EQ(bytes(hg::contourLineColour(100.0, true, 0.0f, -50.0f, 400.0f)), (C{28, 195, 28}));
    // A quarter of the way through the third quarter.
    EXPECT_EQ(bytes(hg::contourLineColour(225.0, true, 0.0f, -50.0f, 400.0f)), (C{202, 172, 21}));
    EXPECT_EQ(bytes(hg::contourLineColour(400.0, true, 0.0f, -50.0f, 400.0f)), (C{204, 204, 204}));
    // Land wholly above the sea starts the ramp at its lowest height.
    EXPECT_EQ(bytes(hg::contourLineColour(500.0, true, 0.0f, 500.0f, 900.0f)), (C{33, 140, 191}));
    // A flat terrain: every quarter has no height; the start colour, no NaN.
    const auto flat = hg::contourLineColour(120.0, false, 0.0f, 120.0f, 120.0f);
    for (float ch : flat) EXPECT_FALSE(std::isnan(ch));
    EXPECT_EQ(bytes(flat), (C{209, 87, 14}));
}

TEST(ContourGrid, FlatTerrainTopLevelAndSeaRule) {
    // Flat: the one level just below it finds every point up.
    const auto flat = gridVertices(6, 5, [](int, int) { return 120.0; });
    auto levels = hg::contourLevels(120.0f, 120.0f, 0.0f, 100.0, 1.0, hg::BelowSea::Skipped);
    EXPECT_TRUE(fastStream(flat, 6, 5, levels).empty());
    EXPECT_TRUE(everyLevelStream(flat, 6, 5, levels).empty());

    // A ramp from 120 to 480: levels 99.99 .. 499.99; the first and last
    // lie outside the ground and give nothing, the rest cross every column.
    const auto ramp = gridVertices(10, 4, [](int, int j) { return 120.0 + 40.0 * j; });
    levels = hg::contourLevels(120.0f, 480.0f, 0.0f, 100.0, 1.0, hg::BelowSea::Skipped);
    ASSERT_EQ(levels.size(), 5u);
    std::map<std::size_t, int> perLevel;
    for (const Piece& p : fastStream(ramp, 10, 4, levels)) {
        ++perLevel[p.level];
        EXPECT_FLOAT_EQ(p.segment.from.x, p.segment.to.x);
    }
    EXPECT_EQ(perLevel.count(0), 0u);
    EXPECT_EQ(perLevel.count(4), 0u);
    for (std::size_t k = 1; k <= 3; ++k) EXPECT_GT(perLevel[k], 0) << k;

    // Ground from -150 to 300 about a sea at 0: only the profile product
    // draws below the sea, and there in sea blue.
    const auto coast = gridVertices(10, 4, [](int, int j) { return -150.0 + 50.0 * j; });
    auto below = [&](hg::BelowSea belowSea) {
        const auto lv = hg::contourLevels(-150.0f, 300.0f, 0.0f, 50.0, 1.0, belowSea);
        int n = 0;
        for (const Piece& p : fastStream(coast, 10, 4, lv)) {
            if (lv[p.level] >= -1.0) continue;
            ++n;
            EXPECT_EQ(bytes(hg::contourLineColour(lv[p.level], true, 0.0f, -150.0f, 300.0f)),
                      (std::array<int, 3>{104, 179, 255}));
        }
        return n;
    };
    EXPECT_EQ(below(hg::BelowSea::Skipped), 0);
    EXPECT_GT(below(hg::BelowSea::Contoured), 0);
}

TEST(ContourGrid, EveryLevelJoinsIntoUnbrokenLines) {
    const int cols = 30, rows = 25;
    const auto v = gridVertices(cols, rows, [](int i, int j) {
        return 200.0 * std::sin(i * 0.31) * std::cos(j * 0.23) + 3.0 * j + 0.37;
    });
    const auto levels =
        hg::contourLevels(-200.0f, 300.0f, -1000.0f, 25.0, 1.0, hg::BelowSea::Skipped);
    std::map<std::tuple<std::size_t, float, float>, int> ends;
    for (const Piece& p : fastStream(v, cols, rows, levels)) {
        ++ends[{p.level, p.segment.from.x, p.segment.from.z}];
        ++ends[{p.level, p.segment.to.x, p.segment.to.z}];
    }
    ASSERT_GT(ends.size(), 100u);
    const float maxX = (cols - 1) * 10.0f, maxZ = (rows - 1) * 10.0f;
    for (const auto& [key, n] : ends) {
        const auto [k, x, z] = key;
        const bool border = x == 0.0f || z == 0.0f || x == maxX || z == maxZ;
        EXPECT_EQ(n, border ? 1 : 2) << "level " << k << " at " << x << ", " << z;
    }
}

TEST(ContourGrid, BudgetMessageNamesTheIntervalAndALargerOne) {
    const std::string text = hg::contourBudgetMessage(0.2, 90'000'000, 20'000'000, 1.0);
    EXPECT_NE(text.find("0.2 m"), std::string::npos) << text;
    EXPECT_NE(text.find("90000000 line pieces"), std::string::npos) << text;
    EXPECT_NE(text.find("1 m or more"), std::string::npos) << text;
    EXPECT_NE(hg::contourBudgetMessage(1000.0, 3, 2, 0.0).find("coarser"), std::string::npos);
}

// The bend left out of the lines moves no point of the view by more than
// its fraction of a pixel, wherever in the frustum and whichever way, and
// the bound is not loose: the worst comes near it.
TEST(ContourBend, MovesNothingByMoreThanItsFractionOfAPixel) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    struct View {
        double fovY;
        bool perspective;
        int side;
    };
    for (const auto& [fovY, perspective, side] :
         {View{60.0, true, 4096}, {20.0, true, 1024}, {45.0, false, 1280}, {60.0, true, 320}}) {
        const hg::Projection p =
            hg::computeProjection(-6000, 6000, -4000, 4000, fovY, 1.0, perspective, 1.0, -2e4f);
        const double bend = hg::unseenBend(p, side), w = p.right, perUnit = side / 2.0 / w;
        const double nearZ = perspective ? p.nearZ : 1.0, farZ = perspective ? p.farZ : 2.0;
        double worst = 0.0;
        for (int n = 0; n < 20000; ++n) {
            const double z = n % 2 ? nearZ : nearZ + (farZ - nearZ) * (unit(random) + 1) / 2;
            const double reach = perspective ? z / nearZ : 1.0;
            const double x = (n % 3 ? unit(random) : 1.0) * w * reach;
            const double y = (n % 3 ? unit(random) : -1.0) * w * reach;
            const double dx = unit(random), dy = unit(random), dz = unit(random);
            const double k = bend / std::hypot(dx, dy, dz);
            const double from = perspective ? nearZ / z : 1.0;
            const double to = perspective ? nearZ / (z + k * dz) : 1.0;
            worst = std::max(worst, perUnit * std::hypot((x + k * dx) * to - x * from,
                                                         (y + k * dy) * to - y * from));
        }
        EXPECT_LE(worst, hg::kUnseenPixels) << fovY << " " << side;
        EXPECT_GT(worst, hg::kUnseenPixels * 0.6) << fovY << " " << side;
    }
}

std::unique_ptr<hg::CViewSettings> contourRecord(double step) {
    auto s = hg::createViewSettings(hg::kDrawContour);
    s->yFactor = 1.4;
    s->step = step;
    s->backColor = 0x102030;
    return s;
}

// The traversal that skips levels gives the same stream as the full one on
// real terrains, and list 1 holds exactly that stream.
void expectSameStreams(const std::filesystem::path& dem, int demType,
                       std::initializer_list<double> intervals) {
    REQUIRE_TARGET(target, 64, 48);
    hgtest::ScopedHome home;
    hgtest::Shown shown;
    for (double step : intervals) {
        hg::CDrawContour draw;
        auto s = contourRecord(step);
        ASSERT_EQ(draw.initialise(target.get(), *s, dem, demType), 1) << shown.first();
        const std::span<const float> v = draw.terrain().vertices;
        const auto fast = fastStream(v, s->numCols, s->numRows, draw.levels());
        EXPECT_GT(fast.size(), 50u) << step;
        EXPECT_TRUE(fast == everyLevelStream(v, s->numCols, s->numRows, draw.levels())) << step;
        EXPECT_EQ(hg::countContourPieces(v, s->numCols, s->numRows, draw.levels()), fast.size());
        // Joined into strips: never more than a piece's two ends each, and
        // on real ground little more than one.
        EXPECT_LE(draw.vertexCount(), fast.size() * 2);
        EXPECT_LT(draw.vertexCount(), fast.size() * 13 / 10) << step;
        draw.release();
    }
}

TEST(ContourGrid, SkippingLevelsChangesNothingOnTheBundledTerrain) {
    REQUIRE_BUNDLED_TERRAIN();
    expectSameStreams(hgtest::bundledTerrain(), hg::kDemUsgs, {100.0, 20.0});
}

TEST(ContourGrid, SkippingLevelsChangesNothingOnASharedSample) {
    const auto dem = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    HG_REQUIRE_SHARED(dem);
    expectSameStreams(dem, hg::kDemUsgs, {50.0, 10.0});
}

// Straightening is not seen: turned a whole round, 3D-Contour's lines at a
// fine interval and Mesh's net straightened draw the whole ones' picture
// but for pixels at their edges, and a grown window has them traced again.
struct Straightening {
    const char* style;
    int drawType;
    std::unique_ptr<hg::CDraw> (*make)(bool straighten);
    std::size_t (*count)(const hg::CDraw&);
    // Every post a vertex (1), or the record's thinning (0).
    double meshBlock;
    // At most one pixel in this many differs.
    int pixelsPerChange;
};

const Straightening kStraightenings[] = {
    // Measured: 220 to 340 pixels of a frame differ, 0.2 % of it.
    {"3D-Contour", hg::kDrawContour,
     [](bool on) -> std::unique_ptr<hg::CDraw> {
         return std::make_unique<hg::CDrawContour>(hg::kContourVertexBudget, on);
     },
     [](const hg::CDraw& d) { return dynamic_cast<const hg::CDrawContour&>(d).vertexCount(); }, 0.0,
     250},
    // Measured: 360 to 650 pixels, 0.2 to 0.4 %.
    {"Mesh", hg::kDrawMesh,
     [](bool on) -> std::unique_ptr<hg::CDraw> { return std::make_unique<hg::CDrawMesh>(on); },
     [](const hg::CDraw& d) { return dynamic_cast<const hg::CDrawMesh&>(d).netVertexCount(); }, 1.0,
     200},
};

TEST(OffscreenContour, StraightenedLinesDrawTheWholeLinesPicture) {
    const auto dem = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    HG_REQUIRE_SHARED(dem);
    constexpr int kWidth = 480, kHeight = 360, kTurns = 6;
    REQUIRE_TARGET(target, kWidth, kHeight);
    hgtest::ScopedHome home;
    for (const Straightening& c : kStraightenings) {
        SCOPED_TRACE(c.style);
        // Both ways, one after the other: they use the same context.
        std::vector<Pixels> frames[2];
        std::size_t vertices[2] = {};
        for (int way = 0; way < 2; ++way) {
            const auto draw = c.make(way == 0);
            auto s = contourRecord(2.0);
            s->drawType = c.drawType;
            if (c.meshBlock > 0.0) s->meshBlock = c.meshBlock;
            s->speed = 360.0 / kTurns;
            ASSERT_EQ(draw->initialise(target.get(), *s, dem, hg::kDemUsgs), 1);
            vertices[way] = c.count(*draw);
            for (int f = 0; f < kTurns; ++f) {
                ASSERT_EQ(draw->nextFrame(), 1);
                frames[way].push_back(target->readPixels());
            }
            if (way == 0) {
                draw->resizeView(2048, 1536);
                ASSERT_EQ(draw->nextFrame(), 1);
                EXPECT_GT(c.count(*draw), vertices[0]);
            }
            draw->release();
        }
        EXPECT_LT(vertices[0], vertices[1] * 80 / 100);
        for (int f = 0; f < kTurns; ++f) {
            EXPECT_LE(hgtest::changedPixels(frames[0][f], frames[1][f]),
                      kWidth * kHeight / c.pixelsPerChange)
                << f;
        }
    }
}

// Lines and terrace edges straightened for a small window are traced
// again when it grows: the bend left out of them would show on the larger
// view.
template <typename Style>
void expectTracedAgainWhenGrown(Style draw, hg::EglOffscreenTarget* target) {
    auto s = contourRecord(5.0);
    s->drawType = std::is_same_v<Style, hg::CDrawStep> ? hg::kDrawStep : hg::kDrawContour;
    ASSERT_EQ(draw.initialiseWith(target, *s, hgtest::islandMaker(120, 100)), 1);
    const std::size_t small = draw.vertexCount();
    draw.resizeView(2048, 1536);
    ASSERT_EQ(draw.nextFrame(), 1);
    const std::size_t grown = draw.vertexCount();
    EXPECT_GT(grown, small);
    draw.resizeView(320, 240);
    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_EQ(draw.vertexCount(), grown) << "a smaller window keeps the finer edges";
    draw.release();
}

TEST(OffscreenContour, GrownWindowHasTheLinesTracedForItsSize) {
    REQUIRE_TARGET(target, 64, 48);
    hgtest::ScopedHome home;
    expectTracedAgainWhenGrown(hg::CDrawContour(), target.get());
    expectTracedAgainWhenGrown(hg::CDrawStep(), target.get());
}

TEST(OffscreenContour, OverBudgetIntervalIsReported) {
    REQUIRE_TARGET(target, 64, 48);
    hgtest::Shown shown;
    hg::CDrawContour draw(100);
    auto s = contourRecord(5.0);
    EXPECT_EQ(draw.initialiseWith(target.get(), *s, hgtest::islandMaker(60, 50)), 0);
    ASSERT_EQ(shown.texts.size(), 1u);
    EXPECT_NE(shown.first().find("interval of 5 m"), std::string::npos) << shown.first();
    EXPECT_NE(shown.first().find("larger interval"), std::string::npos) << shown.first();
}

TEST(OffscreenContour, BundledTerrainLinesOnlyColouredByLevelAndTurning) {
    REQUIRE_BUNDLED_TERRAIN();
    REQUIRE_TARGET(target, 320, 240);
    hgtest::ScopedHome home;
    hgtest::Shown shown;
    hg::CDrawContour draw;
    auto s = contourRecord(50.0);
    ASSERT_EQ(draw.initialise(target.get(), *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1)
        << shown.first();
    ASSERT_GT(draw.vertexCount(), 0u);
    std::set<std::array<int, 3>> levelColours;
    const hg::Bounds& b = draw.bounds();
    for (double level : draw.levels()) {
        levelColours.insert(bytes(
            hg::contourLineColour(level, s->seaColors, draw.terrain().seaLevel, b.minY, b.maxY)));
    }

    ASSERT_EQ(draw.nextFrame(), 1);
    const Pixels first = target->readPixels();
    const Rgb back = hgtest::unpacked(0x102030);
    int background = 0, lines = 0, stray = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const Rgb c = pixel(first, 320, x, y);
            if (c == back) {
                ++background;
                continue;
            }
            ++lines;
            bool matched = false;
            for (const auto& l : levelColours) {
                matched |= std::abs(c.r - l[0]) <= 1 && std::abs(c.g - l[1]) <= 1 &&
                           std::abs(c.b - l[2]) <= 1;
            }
            stray += !matched;
        }
    }
    // Lines, not a surface: most of the picture stays background, and
    // what is drawn is in the levels' own colours, unlit.
    EXPECT_GT(lines, 500);
    EXPECT_GT(background, lines);
    EXPECT_EQ(stray, 0);

    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_GT(hgtest::changedPixels(first, target->readPixels()), 100);
}

}  // namespace
