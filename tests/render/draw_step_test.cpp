// SPDX-License-Identifier: MIT
#include "render/draw_step.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "platform/text_number.h"
#include "render/draw_contour.h"
#include "render/step_geometry.h"
#include "render/styles.h"
#include "settings/settings.h"
#include "support/offscreen_support.h"
#include "support/test_support.h"

namespace {

using Kind = hg::StepFace::Kind;
using hgtest::Shown;

// A grid of cols x rows vertices 10 apart with the heights given row-major.
struct TestGrid {
    int cols = 0, rows = 0;
    std::vector<float> vertices;
    std::vector<double> levels;
    double interval = 0.0;

    TestGrid(int c, int r, const std::vector<float>& heights, double step,
             std::vector<double> given = {})
        : cols(c), rows(r) {
        float lo = heights.front(), hi = heights.front();
        for (int i = 0; i < rows; ++i) {
            for (int j = 0; j < cols; ++j) {
                const float h = heights[static_cast<std::size_t>(i * cols + j)];
                vertices.insert(vertices.end(), {10.0f * j, h, 10.0f * i});
                lo = std::min(lo, h);
                hi = std::max(hi, h);
            }
        }
        interval = step;
        levels = given.empty()
                     ? hg::contourLevels(lo, hi, -1000.0f, step, 1.0, hg::BelowSea::Skipped)
                     : given;
    }
    hg::StepGrid view() const { return {vertices, cols, rows, levels, interval}; }
};

std::vector<hg::StepFace> fastSolid(const hg::StepGrid& g) {
    std::vector<hg::StepFace> out;
    hg::traceStepSolidLevels(g, [&](const hg::StepFace& f) { out.push_back(f); });
    return out;
}

// The pairwise smoothing: every ordered pair of pieces, the reference the
// hashed one must match bit for bit.
void quadraticSmooth(std::vector<hg::CSideQuad>& q) {
    for (std::size_t p = 0; p < q.size(); ++p) {
        for (std::size_t r = 0; r < q.size(); ++r) {
            if (p == r || q[p].first.x != q[r].second.x || q[p].first.z != q[r].second.z) continue;
            const hg::Vec3 n = hg::sharedNormal(q[p].firstNormal, q[r].secondNormal);
            q[p].firstNormal = n;
            q[r].secondNormal = n;
        }
    }
}

// The solid swept plainly: every level visits every cell, and the wall
// pieces are smoothed pair by pair.
std::vector<hg::StepFace> referenceSolid(const hg::StepGrid& g) {
    std::vector<hg::StepFace> out;
    auto sink = [&](const hg::StepFace& f) { out.push_back(f); };
    std::vector<hg::CSideQuad> walls;
    for (std::size_t k = 0; k < g.levels.size(); ++k) {
        walls.clear();
        for (int j = 0; j + 1 < g.numCols; ++j) {
            for (int i = 0; i + 1 < g.numRows; ++i) {
                hg::stepCellFaces(hg::contourCell(g.vertices, g.numCols, i, j), k, g.levels[k],
                                  g.interval, hg::cellBorders(g.numCols, g.numRows, i, j), walls,
                                  sink);
            }
        }
        quadraticSmooth(walls);
        hg::emitSideQuads(walls, k, g.levels[k], g.interval, sink);
    }
    return out;
}

using Line = std::tuple<std::size_t, float, float, float, float>;

std::vector<Line> fastLines(const hg::StepGrid& g) {
    std::vector<Line> out;
    hg::traceStepLines(g, [&](std::size_t k, const hg::ContourSegment& s) {
        out.emplace_back(k, s.from.x, s.from.z, s.to.x, s.to.z);
    });
    return out;
}

std::vector<Line> referenceLines(const hg::StepGrid& g) {
    std::vector<Line> out;
    for (int j = 0; j + 1 < g.numCols; ++j) {
        for (int i = 0; i + 1 < g.numRows; ++i) {
            const hg::ContourCell cell = hg::contourCell(g.vertices, g.numCols, i, j);
            for (std::size_t k = 0; k < g.levels.size(); ++k) {
                hg::traceDiagonal(cell, g.levels[k], [&](const hg::ContourSegment& s) {
                    out.emplace_back(k, s.from.x, s.from.z, s.to.x, s.to.z);
                });
            }
        }
    }
    return out;
}

bool sameBits(const hg::Vec3& a, const hg::Vec3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Both streams, face by face, down to the bits of every vertex and normal.
void expectSameStream(const std::vector<hg::StepFace>& fast,
                      const std::vector<hg::StepFace>& reference) {
    ASSERT_EQ(fast.size(), reference.size());
    for (std::size_t n = 0; n < fast.size(); ++n) {
        const hg::StepFace &a = fast[n], &b = reference[n];
        ASSERT_EQ(a.kind, b.kind) << "face " << n;
        ASSERT_EQ(a.level, b.level) << "face " << n;
        ASSERT_EQ(a.count, b.count) << "face " << n;
        for (int k = 0; k < a.count; ++k) {
            ASSERT_TRUE(sameBits(a.vertices[k], b.vertices[k])) << "face " << n << " vertex " << k;
            ASSERT_TRUE(sameBits(a.normals[k], b.normals[k])) << "face " << n << " normal " << k;
        }
    }
}

int countKind(const std::vector<hg::StepFace>& faces, Kind kind, std::size_t level) {
    int n = 0;
    for (const auto& f : faces) n += f.kind == kind && f.level == level;
    return n;
}

TEST(StepSolid, PlateIsLeftToTheNextLevelButBorderWallsStay) {
    // One cell a whole interval and more above the first level.
    const TestGrid g(2, 2, {25, 25, 25, 25}, 10.0, {9.99, 19.99});
    const auto faces = fastSolid(g.view());
    EXPECT_EQ(countKind(faces, Kind::Plate, 0), 0);
    EXPECT_EQ(countKind(faces, Kind::BorderWall, 0), 4);
    EXPECT_EQ(countKind(faces, Kind::Plate, 1), 2);
    EXPECT_EQ(countKind(faces, Kind::BorderWall, 1), 4);
    // Every border wall stands one interval high and faces out of the grid.
    for (const auto& f : faces) {
        if (f.kind != Kind::BorderWall) continue;
        const float top = static_cast<float>(g.levels[f.level]);
        EXPECT_FLOAT_EQ(f.vertices[1].y - f.vertices[0].y, 10.0f);
        EXPECT_EQ(f.vertices[1].y, top);
        const float mx = (f.vertices[0].x + f.vertices[2].x) * 0.5f - 5.0f;
        const float mz = (f.vertices[0].z + f.vertices[2].z) * 0.5f - 5.0f;
        EXPECT_GT(f.normals[0].x * mx + f.normals[0].z * mz, 0.0f);
    }
}

TEST(StepSolid, TerrainWithinOneIntervalHasWallsOnlyOnTheBorder) {
    std::vector<float> h;
    for (int n = 0; n < 25; ++n) h.push_back(12.0f + static_cast<float>((n * 7) % 6));
    const TestGrid g(5, 5, h, 10.0);
    const auto faces = fastSolid(g.view());
    // The one level reached; the next, above every height, gives nothing.
    ASSERT_EQ(g.levels.size(), 2u);
    EXPECT_EQ(countKind(faces, Kind::Wall, 0), 0);
    EXPECT_EQ(countKind(faces, Kind::Plate, 0), 32);
    EXPECT_EQ(countKind(faces, Kind::BorderWall, 0), 16);
    EXPECT_EQ(faces.size(), 48u);
    for (const auto& f : faces) {
        if (f.kind != Kind::BorderWall) continue;
        for (int k = 0; k < 4; ++k) {
            const hg::Vec3& v = f.vertices[k];
            EXPECT_TRUE(v.x == 0.0f || v.x == 40.0f || v.z == 0.0f || v.z == 40.0f);
        }
    }
}

TEST(StepSolid, JointsShareOneNormalWhileDeadEndsKeepTheirOwn) {
    // A bowl: each level's contour is an arc from one side of the grid to
    // another, in many pieces.
    std::vector<float> h;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j) h.push_back(static_cast<float>(i * i + j * j) * 1.3f);
    const TestGrid g(8, 8, h, 17.0);
    const auto faces = fastSolid(g.view());
    int joints = 0, bent = 0, deadEnds = 0;
    for (const auto& p : faces) {
        if (p.kind != Kind::Wall) continue;
        // The first end of a piece is its second and third vertex pair.
        bool joined = false;
        for (const auto& q : faces) {
            if (&p == &q || q.kind != Kind::Wall || q.level != p.level) continue;
            if (p.vertices[1].x == q.vertices[2].x && p.vertices[1].z == q.vertices[2].z) {
                joined = true;
                EXPECT_TRUE(sameBits(p.normals[1], q.normals[2]));
            }
        }
        const hg::Vec3 own = hg::faceNormal(p.vertices[0], p.vertices[1], p.vertices[2]);
        if (joined) {
            ++joints;
            // Where the contour turns, smoothing bends the normal off the
            // piece's own face.
            bent += !sameBits(p.normals[1], own);
        } else {
            ++deadEnds;
            EXPECT_TRUE(sameBits(p.normals[1], own));
        }
    }
    EXPECT_GT(joints, 10);
    EXPECT_GT(bent, 5);
    EXPECT_GT(deadEnds, 0);
    expectSameStream(faces, referenceSolid(g.view()));
}

TEST(StepSolid, SmoothingByHashMatchesThePairwiseLoopWhereManyPiecesMeet) {
    // Several pieces through one point, in both directions, and a negative
    // zero that must meet a positive one.
    auto quad = [](float nx, float nz, hg::Vec3 a, hg::Vec3 b) {
        return hg::CSideQuad(hg::normalize(nx, 0.0f, nz), a, b);
    };
    const hg::Vec3 o{-0.0f, 5.0f, 0.0f}, o2{0.0f, 5.0f, 0.0f};
    std::vector<hg::CSideQuad> q = {
        quad(1, 0, o, {1, 5, 1}),          quad(0, 1, {2, 5, 0}, o2),
        quad(-1, 1, o2, {0, 5, 3}),        quad(1, 1, {4, 5, 4}, o),
        quad(0, -1, {1, 5, 1}, {4, 5, 4}), quad(1, -1, {9, 5, 9}, {8, 5, 8}),
    };
    auto expected = q;
    quadraticSmooth(expected);
    hg::smoothSideQuads(q);
    for (std::size_t n = 0; n < q.size(); ++n) {
        EXPECT_TRUE(sameBits(q[n].firstNormal, expected[n].firstNormal)) << n;
        EXPECT_TRUE(sameBits(q[n].secondNormal, expected[n].secondNormal)) << n;
    }
    // Pieces facing exactly apart keep the first one's normal.
    const hg::Vec3 up{0, 1, 0}, down{0, -1, 0};
    EXPECT_TRUE(sameBits(hg::sharedNormal(up, down), up));
}

TEST(StepColours, SeaLevelsAndBands) {
    const auto plates = hg::stepMaterialBands(-50.0f, 450.0f, 0.0f, true);
    const auto lines = hg::stepLineBands(-50.0f, 450.0f, 0.0f, true);
    const hg::Rgba sea = plates.at(-0.01), seaLine = lines.at(-0.01);
    EXPECT_FLOAT_EQ(sea[0], 104 / 255.0f);
    EXPECT_FLOAT_EQ(sea[1], 179 / 255.0f);
    EXPECT_FLOAT_EQ(seaLine[2], 1.0f);
    EXPECT_FLOAT_EQ(seaLine[1], 202 / 255.0f);
    // Off, the sea's levels take the first band's start.
    EXPECT_NEAR(hg::stepMaterialBands(-50.0f, 450.0f, 0.0f, false).at(-0.01)[0], 62 / 255.0f, 1e-4);
    // The outline is lighter than its plate at every height.
    for (double h : {10.0, 120.0, 230.0, 340.0, 449.0}) {
        const hg::Rgba p = plates.at(h), l = lines.at(h);
        EXPECT_GT(l[0] + l[1] + l[2], p[0] + p[1] + p[2]) << h;
    }
    // A flat terrain makes bands of no width: their start colour, no NaN.
    const hg::Rgba flat = hg::stepMaterialBands(30.0f, 30.0f, 0.0f, true).at(29.99);
    for (float c : flat) EXPECT_FALSE(std::isnan(c));
}

std::unique_ptr<hg::CViewSettings> stepRecord(double step) {
    auto s = hg::createViewSettings(hg::kDrawStep);
    s->yFactor = hg::altitudeFactorAt(hg::def::yFactor);
    s->step = step;
    s->meshBlock = 1.0;
    s->backColor = 0x102030;
    return s;
}

// The terrain as the style read it, for tracing at other intervals.
struct LoadedTerrain {
    std::vector<float> vertices;
    int cols = 0, rows = 0;
    float minY = 0, maxY = 0, sea = 0;
    double yFactor = 1.0;
    hg::BelowSea belowSea = hg::BelowSea::Skipped;
};

double signedArea(const hg::Vec3* v, int n) {
    double a = 0.0;
    for (int k = 0; k < n; ++k) {
        const hg::Vec3 &p = v[k], &q = v[(k + 1) % n];
        a += static_cast<double>(p.x) * q.z - static_cast<double>(q.x) * p.z;
    }
    return a / 2.0;
}

double length(float x0, float z0, float x1, float z1) {
    return std::hypot(static_cast<double>(x1) - x0, static_cast<double>(z1) - z0);
}

using Point = std::pair<float, float>;

// A wall from its second corner's ground point to its third's, one interval
// high, with the normals at its two ends.
struct WallPiece {
    Point from, to;
    hg::Vec3 fromNormal, toNormal;
    float low, top;
};

WallPiece wallOf(const hg::Vec3* v, const hg::Vec3& n1, const hg::Vec3& n2) {
    return {{v[1].x, v[1].z}, {v[2].x, v[2].z}, n1, n2, v[0].y, v[1].y};
}

bool near(const hg::Vec3& a, const hg::Vec3& b) {
    return std::fabs(a.x - b.x) < 1e-5f && std::fabs(a.y - b.y) < 1e-5f &&
           std::fabs(a.z - b.z) < 1e-5f;
}

// Each merged wall must be the cell-by-cell pieces laid end to end along
// it, lit the same at its ends, and every piece must be used once.
void expectSameWalls(std::size_t level, const std::vector<WallPiece>& merged,
                     const std::vector<WallPiece>& reference) {
    std::multimap<Point, std::size_t> starts;
    for (std::size_t n = 0; n < reference.size(); ++n) starts.emplace(reference[n].from, n);
    std::vector<bool> used(reference.size(), false);
    for (const WallPiece& m : merged) {
        Point at = m.from;
        bool first = true;
        while (at != m.to) {
            std::size_t found = reference.size();
            for (auto [it, end] = starts.equal_range(at); it != end; ++it) {
                const WallPiece& r = reference[it->second];
                const hg::GroundPoint a{m.from.first, m.from.second}, b{r.to.first, r.to.second};
                const bool onTheWay =
                    r.to == m.to || hg::runsStraightOn(a, b, {m.to.first, m.to.second});
                if (!used[it->second] && onTheWay && r.low == m.low && r.top == m.top)
                    found = it->second;
            }
            ASSERT_LT(found, reference.size())
                << "level " << level << ": no piece goes on from " << at.first << ", " << at.second;
            used[found] = true;
            EXPECT_TRUE(!first || near(reference[found].fromNormal, m.fromNormal)) << level;
            first = false;
            at = reference[found].to;
            EXPECT_TRUE(at != m.to || near(reference[found].toNormal, m.toNormal)) << level;
        }
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "level " << level;
}

// The merged levels against the cell-by-cell faces and outline pieces:
// the same plate area, wound the same way, the same walls, and outlines
// of the same length, level by level.
void expectMergedCoversCellByCell(const hg::StepGrid& g, const std::vector<hg::StepFace>& faces,
                                  const std::vector<Line>& lines) {
    const std::size_t n = g.levels.size();
    std::vector<double> area(n, 0.0), outline(n, 0.0);
    std::vector<std::vector<WallPiece>> walls(n);
    for (const auto& f : faces) {
        if (f.kind == Kind::Plate)
            area[f.level] += signedArea(f.vertices.data(), f.count);
        else
            walls[f.level].push_back(wallOf(f.vertices.data(), f.normals[1], f.normals[2]));
    }
    for (const auto& [k, x0, z0, x1, z1] : lines) outline[k] += length(x0, z0, x1, z1);
    std::size_t seen = 0, vertices = 0;
    hg::traceStepLevels(g, [&](const hg::StepLevel& m) {
        ASSERT_EQ(m.level, seen++);
        vertices += m.solidVertices() + m.outlineVertices();
        double mergedArea = 0.0, mergedOutline = 0.0;
        for (std::size_t v = 0; v < m.triangles.size(); v += 3)
            mergedArea += signedArea(&m.triangles[v], 3);
        for (std::size_t v = 0; v < m.quads.size(); v += 4)
            mergedArea += signedArea(&m.quads[v], 4);
        // A strip's every other triangle turns the other way round.
        auto stripArea = [&](const std::vector<hg::Vec3>& strip, std::uint32_t from,
                             std::uint32_t end) {
            for (std::uint32_t t = from; t + 2 < end; ++t) {
                const std::uint32_t odd = (t - from) % 2;
                const hg::Vec3 tri[3] = {strip[t + odd], strip[t + 1 - odd], strip[t + 2]};
                mergedArea += signedArea(tri, 3);
            }
        };
        stripArea(m.blockStrip, 0, static_cast<std::uint32_t>(m.blockStrip.size()));
        std::uint32_t from = 0;
        for (std::uint32_t end : m.ribbonEnds) {
            stripArea(m.ribbons, from, end);
            from = end;
        }
        EXPECT_NEAR(mergedArea, area[m.level], 1e-9 * std::fabs(area[m.level]) + 1e-6)
            << "level " << m.level;
        std::vector<WallPiece> merged;
        for (std::size_t q = 0; q < m.borderNormals.size(); ++q) {
            merged.push_back(wallOf(&m.borderWalls[4 * q], m.borderNormals[q], m.borderNormals[q]));
        }
        std::size_t pair = 0;
        for (std::uint32_t end : m.wallEnds) {
            for (++pair; pair < end; ++pair) {
                const hg::Vec3 quad[3] = {m.wallPoints[2 * pair - 2], m.wallPoints[2 * pair - 1],
                                          m.wallPoints[2 * pair + 1]};
                merged.push_back(wallOf(quad, m.wallNormals[pair - 1], m.wallNormals[pair]));
            }
        }
        expectSameWalls(m.level, merged, walls[m.level]);
        std::uint32_t p = 0;
        for (std::uint32_t end : m.outline.ends) {
            for (++p; p < end; ++p) {
                const auto &a = m.outline.points[p - 1], &b = m.outline.points[p];
                mergedOutline += length(a.x, a.z, b.x, b.z);
            }
        }
        EXPECT_NEAR(mergedOutline, outline[m.level], 1e-6 * outline[m.level] + 1e-6)
            << "level " << m.level;
    });
    EXPECT_EQ(seen, n);
    // The budget's estimate leaves out what coarse intervals are made of
    // (border walls, the ends of strips), but never counts much more.
    EXPECT_LE(hg::estimateStepVertices(g), vertices * 11 / 10);
}

void expectSameTraversals(const LoadedTerrain& t, std::initializer_list<double> steps) {
    for (double step : steps) {
        const double d = step * t.yFactor;
        const auto levels = hg::contourLevels(t.minY, t.maxY, t.sea, d, t.yFactor, t.belowSea);
        const hg::StepGrid g{t.vertices, t.cols, t.rows, levels, d};
        SCOPED_TRACE("interval " + std::to_string(step));
        const auto lines = fastLines(g);
        EXPECT_FALSE(lines.empty());
        EXPECT_TRUE(lines == referenceLines(g));
        const auto faces = fastSolid(g);
        expectSameStream(faces, referenceSolid(g));
        expectMergedCoversCellByCell(g, faces, lines);
    }
}

LoadedTerrain load(hg::GlTarget* target, const std::filesystem::path& file) {
    Shown shown;
    hg::CDrawStep draw;
    auto s = stepRecord(1000.0);
    LoadedTerrain t;
    if (draw.initialise(target, *s, file, hg::kDemUsgs) != 1) {
        ADD_FAILURE() << shown.first();
        return t;
    }
    t.vertices.assign(draw.terrain().vertices.begin(),
                      draw.terrain().vertices.begin() + 3L * draw.numCols() * draw.numRows());
    t.cols = draw.numCols();
    t.rows = draw.numRows();
    t.minY = draw.bounds().minY;
    t.maxY = draw.bounds().maxY;
    t.sea = draw.terrain().seaLevel;
    t.yFactor = s->yFactor;
    t.belowSea = hg::belowSeaOf(s->contoursBelowSea);
    draw.release();
    return t;
}

// The middle block of t, cols x rows, with its own height range: the
// reference sweep's cost grows with cells times levels, and a fine
// interval over a block meets every case the whole terrain does.
LoadedTerrain middleBlock(const LoadedTerrain& t, int cols, int rows) {
    LoadedTerrain b = t;
    b.cols = std::min(cols, t.cols);
    b.rows = std::min(rows, t.rows);
    const int c0 = (t.cols - b.cols) / 2, r0 = (t.rows - b.rows) / 2;
    b.vertices.clear();
    b.minY = std::numeric_limits<float>::max();
    b.maxY = std::numeric_limits<float>::lowest();
    for (int r = r0; r < r0 + b.rows; ++r) {
        const auto row = t.vertices.begin() + 3L * (static_cast<long>(r) * t.cols + c0);
        b.vertices.insert(b.vertices.end(), row, row + 3L * b.cols);
    }
    for (std::size_t i = 1; i < b.vertices.size(); i += 3) {
        b.minY = std::min(b.minY, b.vertices[i]);
        b.maxY = std::max(b.maxY, b.vertices[i]);
    }
    return b;
}

TEST(StepTraversal, BucketedSweepGivesTheFullSweepsStreamOnRealTerrains) {
    REQUIRE_TARGET(target, 64, 48);
    REQUIRE_BUNDLED_TERRAIN();
    const LoadedTerrain bundled = load(target.get(), hgtest::bundledTerrain());
    expectSameTraversals(bundled, {50.0});
    expectSameTraversals(middleBlock(bundled, 120, 100), {10.0, 3.0});
    const std::filesystem::path sample =
        std::filesystem::path(HG_SHARED_DATA) / "usgsdem" / "San_Fran_North.dem";
    if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no shared sample " << sample;
    const LoadedTerrain bay = load(target.get(), sample);
    expectSameTraversals(bay, {100.0});
    expectSameTraversals(middleBlock(bay, 120, 100), {20.0, 5.0});
}

TEST(OffscreenStep, LitTerracesWithLighterOutlinesTurning) {
    REQUIRE_TARGET(target, 320, 240);
    REQUIRE_BUNDLED_TERRAIN();
    Shown shown;
    hg::CDrawStep draw;
    auto s = stepRecord(10.0);
    ASSERT_EQ(draw.initialise(target.get(), *s, hgtest::bundledTerrain(), hg::kDemUsgs), 1)
        << shown.first();
    EXPECT_GT(draw.levelCount(), 2u);
    EXPECT_GT(draw.vertexCount(), 0u);
    ASSERT_EQ(draw.nextFrame(), 1);
    const hgtest::Pixels first = target->readPixels();
    const hgtest::Rgb back{0x10, 0x20, 0x30};
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}}) {
        const hgtest::Rgb c = hgtest::pixel(first, 320, x, y);
        EXPECT_TRUE(c.r == back.r && c.g == back.g && c.b == back.b) << x << "," << y;
    }
    // The outlines are unlit: their pixels carry a level's line colour
    // exactly. Everything else of the terrain is lit plate or wall.
    const auto lineBands =
        hg::stepLineBands(draw.bounds().minY, draw.bounds().maxY, draw.terrain().seaLevel, true);
    const auto levels =
        hg::contourLevels(draw.bounds().minY, draw.bounds().maxY, draw.terrain().seaLevel,
                          draw.stepHeight(), s->yFactor, hg::belowSeaOf(s->contoursBelowSea));
    std::set<std::tuple<int, int, int>> lineColours;
    for (double L : levels) {
        const hg::Rgba c = lineBands.at(L);
        for (int dr = -1; dr <= 1; ++dr) {
            lineColours.emplace(static_cast<int>(std::lround(c[0] * 255)) + dr,
                                static_cast<int>(std::lround(c[1] * 255)),
                                static_cast<int>(std::lround(c[2] * 255)));
        }
    }
    int outline = 0, solid = 0;
    std::set<std::tuple<int, int, int>> shades;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const hgtest::Rgb c = hgtest::pixel(first, 320, x, y);
            if (c.r == back.r && c.g == back.g && c.b == back.b) continue;
            if (lineColours.count({c.r, c.g, c.b}) != 0) {
                ++outline;
            } else {
                ++solid;
                shades.emplace(c.r, c.g, c.b);
            }
        }
    }
    EXPECT_GT(outline, 100);
    // The outline strips draw every joint, so the outline takes more of the
    // picture than piece-by-piece lines left it.
    EXPECT_GT(solid, 1000);
    // Plates and walls face the light differently.
    EXPECT_GT(shades.size(), 50u);
    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_GT(hgtest::changedPixels(first, target->readPixels()), 500);
}

TEST(OffscreenStep, TooFineAnIntervalIsRefusedWithAMessage) {
    REQUIRE_TARGET(target, 64, 48);
    // Too many walls for the budget, and too many levels even to list.
    for (double step : {0.01, 0.0005}) {
        Shown shown;
        hg::CDrawStep draw;
        auto s = stepRecord(step);
        EXPECT_EQ(draw.initialiseWith(target.get(), *s, hgtest::islandMaker(120, 100)), 0);
        ASSERT_EQ(shown.texts.size(), 1u);
        EXPECT_NE(shown.texts[0].find(hg::formatShortest(step) + " m"), std::string::npos)
            << shown.texts[0];
        EXPECT_NE(shown.texts[0].find("larger interval"), std::string::npos) << shown.texts[0];
        // Refused before anything was compiled.
        EXPECT_EQ(draw.vertexCount(), 0u);
    }
}

// Step and 3D-Contour compiled cell by cell, piece by piece, into display
// lists: the pictures the merged geometry must give.
class CellByCellStep : public hg::CDrawStep {
public:
    static constexpr unsigned kLineList = 1;
    static constexpr unsigned kSolidList = 2;
    void drawLines() override { glCallList(kLineList); }
    void drawSolid() override { glCallList(kSolidList); }
    void buildScene() override {
        hg::CDrawStep::buildScene();
        const hg::Bounds& b = bounds();
        const float sea = terrain().seaLevel;
        const auto levels =
            hg::contourLevels(b.minY, b.maxY, sea, stepHeight(), viewSettings()->yFactor,
                              hg::belowSeaOf(viewSettings()->contoursBelowSea));
        const hg::StepGrid g{terrain().vertices, numCols(), numRows(), levels, stepHeight()};
        const auto lineBands = hg::stepLineBands(b.minY, b.maxY, sea, viewSettings()->seaColors);
        glNewList(kLineList, GL_COMPILE);
        hg::traceStepLines(g, [&](std::size_t k, const hg::ContourSegment& s) {
            const hg::Rgba c = lineBands.at(levels[k]);
            glColor3f(c[0], c[1], c[2]);
            glBegin(GL_LINES);
            glVertex3f(s.from.x, static_cast<float>(levels[k]), s.from.z);
            glVertex3f(s.to.x, static_cast<float>(levels[k]), s.to.z);
            glEnd();
        });
        glEndList();
        const auto bands = hg::stepMaterialBands(b.minY, b.maxY, sea, viewSettings()->seaColors);
        glNewList(kSolidList, GL_COMPILE);
        hg::traceStepSolidLevels(g, [&](const hg::StepFace& f) {
            glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, bands.at(levels[f.level]).data());
            glBegin(f.count == 3 ? GL_TRIANGLES : GL_QUADS);
            for (int k = 0; k < f.count; ++k) {
                glNormal3f(f.normals[k].x, f.normals[k].y, f.normals[k].z);
                glVertex3f(f.vertices[k].x, f.vertices[k].y, f.vertices[k].z);
            }
            glEnd();
        });
        glEndList();
    }
};

class PieceByPieceContour : public hg::CDrawContour {
public:
    static constexpr unsigned kLineList = 1;
    void drawLines() override { glCallList(kLineList); }
    void buildScene() override {
        hg::CDrawContour::buildScene();
        const hg::Bounds& b = bounds();
        glNewList(kLineList, GL_COMPILE);
        hg::traceContourGrid(
            terrain().vertices, numCols(), numRows(), levels(),
            [&](std::size_t k, const hg::ContourSegment& s) {
                glColor3fv(hg::contourLineColour(levels()[k], viewSettings()->seaColors,
                                                 terrain().seaLevel, b.minY, b.maxY)
                               .data());
                glBegin(GL_LINES);
                glVertex3f(s.from.x, static_cast<float>(levels()[k]), s.from.z);
                glVertex3f(s.to.x, static_cast<float>(levels()[k]), s.to.z);
                glEnd();
            });
        glEndList();
    }
};

// Frames turned a whole round, kTurns of them: a wall seen from behind is
// left out, and whether that shows depends on where it is seen from.
constexpr int kTurns = 8;

template <typename Draw>
std::vector<hgtest::Pixels> turningFrames(hg::EglOffscreenTarget* target, Draw&& draw, int type,
                                          double step, const std::filesystem::path& dem) {
    Shown shown;
    auto s = stepRecord(step);
    s->drawType = type;
    s->speed = 360.0 / kTurns;
    std::vector<hgtest::Pixels> frames;
    if (draw.initialise(target, *s, dem, hg::kDemUsgs) != 1) {
        ADD_FAILURE() << shown.first();
        return frames;
    }
    for (int f = 0; f < kTurns; ++f) {
        if (draw.nextFrame() != 1) {
            ADD_FAILURE() << "frame " << f << ": " << shown.first();
            break;
        }
        frames.push_back(target->readPixels());
    }
    draw.release();
    return frames;
}

// Pixels of a with no pixel within 2 in every channel at or next to the
// same place in b: a line drawn a pixel aside still finds its match.
int unmatchedPixels(const hgtest::Pixels& a, const hgtest::Pixels& b, int w, int h) {
    int unmatched = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const hgtest::Rgb c = hgtest::pixel(a, w, x, y);
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy) {
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    if (x + dx < 0 || x + dx >= w || y + dy < 0 || y + dy >= h) continue;
                    const hgtest::Rgb d = hgtest::pixel(b, w, x + dx, y + dy);
                    found = std::abs(c.r - d.r) <= 2 && std::abs(c.g - d.g) <= 2 &&
                            std::abs(c.b - d.b) <= 2;
                }
            }
            unmatched += !found;
        }
    }
    return unmatched;
}

// The merged picture is the cell-by-cell one, from every side: all but 1 pixel in 400 of it
// is matched within 2 in every channel at or next to the same place. The
// other way round up to 1 in 50 may not be: where two outline pieces ended
// head to head, neither drew the pixel they met at, and a strip draws it.
TEST(OffscreenStep, MergedListsDrawTheCellByCellPicture) {
    REQUIRE_TARGET(target, 480, 360);
    REQUIRE_BUNDLED_TERRAIN();
    const auto bay = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    struct Case {
        int type;
        double step;
        std::filesystem::path dem;
        bool walls = true;  // Step's saver draws its contour walls
    };
    std::vector<Case> cases = {{hg::kDrawStep, 50.0, hgtest::bundledTerrain()},
                               {hg::kDrawStep, 10.0, hgtest::bundledTerrain(), false},
                               {hg::kDrawContour, 50.0, hgtest::bundledTerrain()}};
    if (!bay.empty()) {
        cases.push_back({hg::kDrawStep, 20.0, bay});
        cases.push_back({hg::kDrawContour, 20.0, bay});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(hg::drawTypeName(c.type)) + " at " + std::to_string(c.step) +
                     " m on " + c.dem.filename().string());
        const bool step = c.type == hg::kDrawStep;
        const auto merged =
            step ? turningFrames(target.get(), hg::CDrawStep(hg::CDrawStep::kVertexBudget, false),
                                 c.type, c.step, c.dem)
                 : turningFrames(target.get(), hg::CDrawContour(), c.type, c.step, c.dem);
        // Straightened edges, as the saver draws them, move nothing by a
        // pixel and light the walls nearly as before: measured, at most 80
        // pixels of a frame go unmatched either way. Walls left out showed
        // as stray dots beside their outlines at most: 340-500.
        hg::CDrawStep saver;
        const auto straightened =
            step ? turningFrames(target.get(), saver, c.type, c.step, c.dem) : merged;
        EXPECT_TRUE(!step || saver.contourWalls() == c.walls);
        const int moved = 480 * 360 / (c.walls ? 1000 : 300);
        for (std::size_t f = 0; f < merged.size() && f < straightened.size(); ++f) {
            EXPECT_LE(unmatchedPixels(straightened[f], merged[f], 480, 360), moved);
            EXPECT_LE(unmatchedPixels(merged[f], straightened[f], 480, 360), moved);
        }
        if (!c.walls) continue;  // the cell-by-cell lists draw every wall
        const auto plain =
            step ? turningFrames(target.get(), CellByCellStep(), c.type, c.step, c.dem)
                 : turningFrames(target.get(), PieceByPieceContour(), c.type, c.step, c.dem);
        ASSERT_EQ(merged.size(), static_cast<std::size_t>(kTurns));
        ASSERT_EQ(plain.size(), merged.size());
        for (std::size_t f = 0; f < merged.size(); ++f) {
            SCOPED_TRACE("frame " + std::to_string(f));
            ASSERT_EQ(merged[f].size(), plain[f].size());
            EXPECT_LE(unmatchedPixels(merged[f], plain[f], 480, 360), 480 * 360 / 400);
            EXPECT_LE(unmatchedPixels(plain[f], merged[f], 480, 360), 480 * 360 / 50);
            EXPECT_GT(
                hgtest::changedPixels(merged[f], std::vector<std::uint8_t>(merged[f].size(), 0)),
                1000);
        }
    }
}

// The suggested interval is the finest listed one that draws within the
// budget: it draws, the listed one below it (if finer than asked) is refused.
TEST(OffscreenStep, RefusalSuggestsTheFinestListedIntervalThatFits) {
    REQUIRE_TARGET(target, 64, 48);
    struct Case {
        int type;
        double step;
        std::size_t budget;
        const char* language;
        const char* advice;
    };
    const Case cases[] = {
        {hg::kDrawStep, 0.2, 60'000, "en", " m or more."},
        {hg::kDrawContour, 0.5, 6'000, "en", " m or more."},
        {hg::kDrawStep, 1.0, 60'000, "ja", " m 以上の間隔を選んでください。"},
    };
    auto attempt = [&](const Case& c, double step, std::string& shownText) {
        Shown shown;
        auto s = stepRecord(step);
        s->drawType = c.type;
        std::unique_ptr<hg::CDraw> draw = std::make_unique<hg::CDrawContour>(c.budget);
        if (c.type == hg::kDrawStep) draw = std::make_unique<hg::CDrawStep>(c.budget);
        const int ok = draw->initialiseWith(target.get(), *s, hgtest::islandMaker(60, 50));
        shownText = shown.first();
        draw->release();
        return ok;
    };
    for (const Case& c : cases) {
        hgtest::ScopedEnv language("HILLGLIMMER_LANG", c.language);
        std::string text;
        ASSERT_EQ(attempt(c, c.step, text), 0);
        EXPECT_NE(text.find(hg::formatShortest(c.step) + " m"), std::string::npos) << text;
        const std::size_t at = text.find(c.advice);
        ASSERT_NE(at, std::string::npos) << text;
        const std::size_t from = text.find_last_not_of("0123456789.", at - 1) + 1;
        const double suggested = hg::parseNumber<double>(text.substr(from, at - from)).value_or(0);
        ASSERT_GT(suggested, c.step) << text;
        EXPECT_EQ(attempt(c, suggested, text), 1) << text;
        int p = 0;
        while (hg::contourIntervalAt(p + 1) < suggested) ++p;
        if (hg::contourIntervalAt(p) > c.step) {
            EXPECT_EQ(attempt(c, hg::contourIntervalAt(p), text), 0);
        }
    }
}

}  // namespace
