// SPDX-License-Identifier: MIT
#include "render/contour_trace.h"

#include "render/contour_chains.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Kind = hg::StepPiece::Kind;

std::vector<hg::ContourSegment> fan(const hg::ContourCell& cell, double level) {
    std::vector<hg::ContourSegment> out;
    hg::traceCentreFan(cell, level, [&](const hg::ContourSegment& s) { out.push_back(s); });
    return out;
}

std::vector<hg::ContourSegment> diagonal(const hg::ContourCell& cell, double level) {
    std::vector<hg::ContourSegment> out;
    hg::traceDiagonal(cell, level, [&](const hg::ContourSegment& s) { out.push_back(s); });
    return out;
}

std::vector<hg::StepPiece> step(const hg::ContourCell& cell, double level, double interval,
                                hg::CellBorders borders = {}) {
    std::vector<hg::StepPiece> out;
    hg::traceStepSolid(cell, level, interval, borders,
                       [&](const hg::StepPiece& p) { out.push_back(p); });
    return out;
}

// A 10 x 10 cell at (100, 200) with corner heights A, B, C, D.
hg::ContourCell cell(float a, float b, float c, float d) {
    return {100.0f, 200.0f, 10.0f, 10.0f, a, b, c, d};
}

void expectSegment(const hg::ContourSegment& s, float x1, float z1, float x2, float z2) {
    EXPECT_FLOAT_EQ(s.from.x, 100.0f + x1);
    EXPECT_FLOAT_EQ(s.from.z, 200.0f + z1);
    EXPECT_FLOAT_EQ(s.to.x, 100.0f + x2);
    EXPECT_FLOAT_EQ(s.to.z, 200.0f + z2);
}

void expectPoints(const hg::StepPiece& p, Kind kind,
                  std::initializer_list<std::pair<float, float>> points) {
    EXPECT_EQ(p.kind, kind);
    ASSERT_EQ(p.count, static_cast<int>(points.size()));
    int k = 0;
    for (auto [x, z] : points) {
        EXPECT_FLOAT_EQ(p.points[k].x, 100.0f + x) << "point " << k;
        EXPECT_FLOAT_EQ(p.points[k].z, 200.0f + z) << "point " << k;
        ++k;
    }
}

TEST(ContourLevels, RoundedOutwardRaisedToSeaAndLowered) {
    auto levels = hg::contourLevels(120.0f, 480.0f, 0.0f, 100.0, 1.0, hg::BelowSea::Skipped);
    ASSERT_EQ(levels.size(), 5u);
    for (std::size_t k = 0; k < 5; ++k) EXPECT_DOUBLE_EQ(levels[k], 100.0 * (k + 1) - 0.01);
    // The lowering follows the altitude factor: a hundredth of a height unit.
    levels = hg::contourLevels(240.0f, 960.0f, 0.0f, 200.0, 2.0, hg::BelowSea::Skipped);
    ASSERT_EQ(levels.size(), 5u);
    EXPECT_DOUBLE_EQ(levels.front(), 199.98);
    // Sea level above the rounded lowest height starts the levels.
    levels = hg::contourLevels(-120.0f, 480.0f, 250.0f, 100.0, 1.0, hg::BelowSea::Skipped);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_DOUBLE_EQ(levels.front(), 249.99);
    // ... except for the profile product, whose levels run below the sea.
    levels = hg::contourLevels(-120.0f, 480.0f, 250.0f, 100.0, 1.0, hg::BelowSea::Contoured);
    ASSERT_EQ(levels.size(), 8u);
    EXPECT_DOUBLE_EQ(levels.front(), -200.01);
    EXPECT_DOUBLE_EQ(levels.back(), 499.99);
    // No interval, no levels (and no endless loop).
    EXPECT_TRUE(hg::contourLevels(0.0f, 10.0f, 0.0f, 0.0, 1.0, hg::BelowSea::Skipped).empty());
    EXPECT_TRUE(
        hg::contourLevels(0.0f, 10.0f, 0.0f, std::nan(""), 1.0, hg::BelowSea::Skipped).empty());
}

TEST(ContourTrace, CentreFanOnARampAndASaddle) {
    // Rising along x: the level 4 line crosses at x = 4, in three pieces
    // (the triangle B, C, M lies wholly above it).
    auto s = fan(cell(0, 10, 10, 0), 4.0);
    ASSERT_EQ(s.size(), 3u);
    expectSegment(s[0], 4, 0, 4, 4);   // AB to A-M
    expectSegment(s[1], 4, 10, 4, 6);  // CD to D-M
    expectSegment(s[2], 4, 6, 4, 4);   // D-M to A-M

    // A saddle high at A and C: the centre (5) below the level keeps the
    // two highs apart, one corner cut round each.
    s = fan(cell(10, 0, 10, 0), 7.0);
    ASSERT_EQ(s.size(), 4u);
    expectSegment(s[0], 3, 0, 3, 3);
    expectSegment(s[1], 10, 7, 7, 7);
    expectSegment(s[2], 7, 10, 7, 7);
    expectSegment(s[3], 0, 3, 3, 3);
    // Below the centre the lows B and D are cut off instead.
    s = fan(cell(10, 0, 10, 0), 3.0);
    ASSERT_EQ(s.size(), 4u);
    expectSegment(s[0], 7, 0, 7, 3);
}

TEST(ContourTrace, PointsOnTheLevelCountAsUp) {
    // B and C exactly at 10: the line runs along the edge B-C; the
    // triangles touching it at one corner give pieces of no length.
    auto s = fan(cell(0, 10, 10, 0), 10.0);
    ASSERT_EQ(s.size(), 3u);
    expectSegment(s[0], 10, 0, 10, 0);
    expectSegment(s[1], 10, 0, 10, 10);
    expectSegment(s[2], 10, 10, 10, 10);
    // A flat cell on the level is wholly up: no line, and no level spans it.
    EXPECT_TRUE(fan(cell(5, 5, 5, 5), 5.0).empty());
    const std::vector<double> levels = {4.99, 5.0, 5.01};
    EXPECT_TRUE(hg::fanLevels(levels, cell(5, 5, 5, 5)).empty());
    // Wholly above or below.
    EXPECT_TRUE(fan(cell(1, 2, 3, 4), 0.5).empty());
    EXPECT_TRUE(fan(cell(1, 2, 3, 4), 4.5).empty());
}

TEST(ContourTrace, DiagonalHalves) {
    auto s = diagonal(cell(0, 10, 10, 0), 4.0);
    ASSERT_EQ(s.size(), 2u);
    expectSegment(s[0], 4, 0, 4, 4);   // AB to A-C
    expectSegment(s[1], 4, 10, 4, 4);  // CD to A-C
    // The saddle split along A-C keeps the highs together: the lows are cut.
    s = diagonal(cell(10, 0, 10, 0), 7.0);
    ASSERT_EQ(s.size(), 2u);
    expectSegment(s[0], 3, 0, 10, 7);  // AB to BC
    expectSegment(s[1], 7, 10, 0, 3);  // CD to DA
}

// A level outside a cell's span gives nothing, and one inside gives at
// least one piece: a style may visit only the levels a cell spans.
TEST(ContourTrace, LevelSpansHoldEveryPiece) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> height(0, 8);
    std::vector<double> levels;
    for (int k = 0; k < 10; ++k) levels.push_back(k - 0.5 + (k % 3 == 0 ? 0.5 : 0.0));
    for (int n = 0; n < 400; ++n) {
        const auto h = [&] { return static_cast<float>(height(random)); };
        const hg::ContourCell c = cell(h(), h(), h(), h());
        const hg::LevelSpan f = hg::fanLevels(levels, c), d = hg::diagonalLevels(levels, c);
        const hg::CellBorders inner{}, edge{true, false, false, false};
        const hg::LevelSpan si = hg::stepSolidLevels(levels, c, 2.0, inner);
        const hg::LevelSpan se = hg::stepSolidLevels(levels, c, 2.0, edge);
        for (std::size_t k = 0; k < levels.size(); ++k) {
            const double L = levels[k];
            EXPECT_EQ(!fan(c, L).empty(), k >= f.first && k < f.last);
            EXPECT_EQ(!diagonal(c, L).empty(), k >= d.first && k < d.last);
            if (k < si.first || k >= si.last) {
                EXPECT_TRUE(step(c, L, 2.0, inner).empty());
            }
            if (k < se.first || k >= se.last) {
                EXPECT_TRUE(step(c, L, 2.0, edge).empty());
            }
        }
    }
    const std::vector<double> tens = {-0.01, 9.99, 19.99, 29.99, 39.99};
    const hg::LevelSpan inner = hg::stepSolidLevels(tens, cell(25, 26, 27, 28), 10.0, {});
    EXPECT_EQ(inner.first, 1u);  // one level below what can show, for rounding
    EXPECT_EQ(inner.last, 3u);
    EXPECT_EQ(
        hg::stepSolidLevels(tens, cell(25, 26, 27, 28), 10.0, {false, false, false, true}).first,
        0u);
}

TEST(StepTrace, PartPlatesAndWallsFacingTheLowGround) {
    const auto p = step(cell(0, 10, 10, 0), 4.0, 100.0);
    ASSERT_EQ(p.size(), 4u);
    // A, C, B with A below: the quadrilateral from the cut on A-C round.
    expectPoints(p[0], Kind::Plate, {{4, 4}, {10, 10}, {10, 0}, {4, 0}});
    // Its normal (-dz, 0, dx) = (-4, 0, 0) faces the low side, -x.
    expectPoints(p[1], Kind::Wall, {{4, 0}, {4, 4}});
    expectPoints(p[2], Kind::Plate, {{4, 10}, {10, 10}, {4, 4}});
    expectPoints(p[3], Kind::Wall, {{4, 4}, {4, 10}});
}

TEST(StepTrace, BorderWallsFaceOutOfTheGrid) {
    // The single cell of a 2 x 2 grid lies on all four sides.
    const hg::CellBorders all = hg::cellBorders(2, 2, 0, 0);
    ASSERT_TRUE(all.top && all.right && all.bottom && all.left);
    auto p = step(cell(0, 10, 10, 0), 4.0, 100.0, all);
    ASSERT_EQ(p.size(), 7u);
    // Row 0 side, B to the cut: normal (0, 0, -6), out along -z.
    expectPoints(p[2], Kind::BorderWall, {{10, 0}, {4, 0}});
    // Last column side, C to B: normal (10, 0, 0), out along +x.
    expectPoints(p[3], Kind::BorderWall, {{10, 10}, {10, 0}});
    // Last row side, the cut to C: normal (0, 0, 6), out along +z. The
    // column-0 side lies wholly below: no wall.
    expectPoints(p[6], Kind::BorderWall, {{4, 10}, {10, 10}});

    // Wholly up: walls first, then the whole triangle in plate order.
    p = step(cell(10, 10, 10, 10), 10.0, 5.0, all);
    ASSERT_EQ(p.size(), 6u);
    expectPoints(p[2], Kind::Plate, {{0, 0}, {10, 10}, {10, 0}});
    expectPoints(p[5], Kind::Plate, {{0, 0}, {0, 10}, {10, 10}});
    // A whole interval above the level: the next plate covers it; the
    // border walls still stand.
    p = step(cell(10, 10, 10, 10), 5.0, 5.0, all);
    ASSERT_EQ(p.size(), 4u);
    for (const auto& piece : p) EXPECT_EQ(piece.kind, Kind::BorderWall);
    EXPECT_TRUE(step(cell(10, 10, 10, 10), 5.0, 5.0).empty());
}

TEST(StepTrace, CornerOnTheLevelGivesNoWallOfNoLength) {
    // Only A is up, and exactly at the level: both cuts fall on A.
    const auto p = step(cell(4, 0, 0, 0), 4.0, 10.0, {true, false, false, true});
    for (const auto& piece : p) EXPECT_EQ(piece.kind, Kind::Plate);
    ASSERT_EQ(p.size(), 2u);
    expectPoints(p[0], Kind::Plate, {{0, 0}, {0, 0}, {0, 0}});
}

TEST(ContourCell, ReadFromTheVertexArray) {
    // A 3 x 2 grid, 5 units apart from (1, y, 2); heights 10 * row + column.
    std::vector<float> v;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j) v.insert(v.end(), {1.0f + 5 * j, 10.0f * i + j, 2.0f + 5 * i});
    const hg::ContourCell c = hg::contourCell(v, 3, 0, 1);
    EXPECT_EQ(c.x, 6.0f);
    EXPECT_EQ(c.z, 2.0f);
    EXPECT_EQ(c.dx, 5.0f);
    EXPECT_EQ(c.dz, 5.0f);
    EXPECT_EQ(c.a, 1.0f);
    EXPECT_EQ(c.b, 2.0f);
    EXPECT_EQ(c.c, 12.0f);
    EXPECT_EQ(c.d, 11.0f);
    EXPECT_EQ(c.centre(), 6.5f);
}

// Pieces joined end to end, whichever way each was traced: the lines and
// their points, written "x,z x,z ..." with lines apart by " | ".
TEST(ContourChains, JoinsPiecesIntoLines) {
    using S = hg::ContourSegment;
    struct Case {
        const char* what;
        std::vector<S> pieces;
        const char* lines;
    };
    const Case cases[] = {
        {"a bent line traced both ways",
         {{{2, 1}, {1, 0}}, {{0, 0}, {1, 0}}, {{2, 1}, {3, 3}}},
         "0,0 1,0 2,1 3,3"},
        {"a straight run keeps its ends only",
         {{{0, 0}, {1, 1}}, {{2, 2}, {1, 1}}, {{2, 2}, {3, 3}}},
         "0,0 3,3"},
        {"a ring comes back to its start",
         {{{0, 0}, {1, 0}}, {{1, 1}, {1, 0}}, {{1, 1}, {0, 0}}},
         "0,0 1,0 1,1 0,0"},
        {"three pieces at one point end there",
         {{{0, 0}, {1, 0}}, {{1, 0}, {2, 1}}, {{1, 0}, {1, 2}}},
         "0,0 1,0 | 1,0 2,1 | 1,0 1,2"},
        {"a line turning back on itself is not straight",
         {{{0, 0}, {2, 0}}, {{2, 0}, {1, 0}}},
         "0,0 2,0 1,0"},
        {"a piece of no length stays apart",
         {{{5, 5}, {5, 5}}, {{0, 0}, {1, 0}}},
         "5,5 5,5 | 0,0 1,0"},
    };
    for (const Case& c : cases) {
        hg::Polylines out;
        hg::joinPieces(c.pieces, out);
        std::string text;
        std::uint32_t p = 0;
        for (std::uint32_t end : out.ends) {
            if (!text.empty()) text += " | ";
            for (std::uint32_t first = p; p < end; ++p) {
                if (p != first) text += ' ';
                text += std::to_string(static_cast<int>(out.points[p].x)) + ',' +
                        std::to_string(static_cast<int>(out.points[p].z));
            }
        }
        EXPECT_EQ(text, c.lines) << c.what;
    }
}

// Points within 0.5 of the way between the points kept either side go
// (the second case drifts: 20,0.9 is 0.6 off the way to 40,3); a line
// turning back keeps its turn, and ends stay. Kept points by index.
TEST(ContourChains, StraightensBendsTooSmallToSee) {
    using Line = std::vector<hg::GroundPoint>;
    const std::pair<std::vector<Line>, std::vector<std::vector<int>>> cases[] = {
        {{{{0, 0}, {10, 0.3f}, {20, 0}, {30, -0.3f}, {40, 0}}}, {{0, 4}}},
        {{{{0, 0}, {10, 0.3f}, {20, 0.9f}, {30, 1.8f}, {40, 3}}}, {{0, 3, 4}}},
        {{{{0, 0}, {10, 0}, {5, 0.1f}}, {{5, 0}, {6, 0.1f}, {7, 0}}}, {{0, 1, 2}, {0, 2}}},
    };
    for (const auto& [lines, kept] : cases) {
        hg::Polylines l, expected;
        for (std::size_t c = 0; c < lines.size(); ++c) {
            l.points.insert(l.points.end(), lines[c].begin(), lines[c].end());
            l.ends.push_back(static_cast<std::uint32_t>(l.points.size()));
            for (int k : kept[c]) expected.points.push_back(lines[c][k]);
            expected.ends.push_back(static_cast<std::uint32_t>(expected.points.size()));
        }
        hg::straightenLines(l, 0.5);
        EXPECT_TRUE(l.points == expected.points && l.ends == expected.ends) << lines[0][1].z;
    }
}

}  // namespace
