// SPDX-License-Identifier: MIT
#include "render/step_geometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "render/contour_points.h"

namespace hg {

namespace {

using namespace contour_detail;

GroundPoint ground(const Vec3& v) {
    return {v.x, v.z};
}

// A wall left to light a point by its neighbours' normals keeps the
// point's own normal within this much, three degrees: the wall's colour
// there moves by a few units, on a wall a pixel or two high.
constexpr double kLightKept = 0.05;

// Normals this close light a wall to the same byte in every channel.
bool sameLight(const Vec3& a, const Vec3& b) {
    constexpr float kNear = 1e-6f;
    return std::fabs(a.x - b.x) <= kNear && std::fabs(a.y - b.y) <= kNear &&
           std::fabs(a.z - b.z) <= kNear;
}

bool sameBits(const Vec3& a, const Vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Drops the partners that do not continue a directed piece: a first end
// must meet a second end.
void keepDirected(std::vector<std::uint32_t>& partner) {
    for (std::size_t e = 0; e < partner.size(); ++e) {
        if (partner[e] != kNoPartner && partner[e] % 2 == e % 2) partner[e] = kNoPartner;
    }
}

// Continues a triangle strip with another: repeated points between them
// make triangles with no area, and the other starts on an even place so
// that its triangles keep their winding.
void appendStrip(std::vector<Vec3>& strip, const std::vector<Vec3>& more) {
    if (more.empty()) return;
    if (!strip.empty()) {
        strip.push_back(strip.back());
        if (strip.size() % 2 == 0) strip.push_back(strip.back());
        strip.push_back(more.front());
    }
    strip.insert(strip.end(), more.begin(), more.end());
}

// Rows i0..i1 by columns j0..j1 of whole cells.
struct Block {
    int i0, i1, j0, j1;
};

// Whole cells (sweep order: column outer, row inner) merged into blocks:
// runs down each column, then runs of the same rows side by side.
template <typename Emit>
void mergeBlocks(std::span<const std::uint32_t> cells, const LevelBuckets& b, Emit emit) {
    std::vector<Block> open, next;
    std::size_t n = 0;
    while (n < cells.size()) {
        const int j = b.column(cells[n]);
        next.clear();
        std::size_t o = 0;
        while (n < cells.size() && b.column(cells[n]) == j) {
            const int i0 = b.row(cells[n]);
            int i1 = i0;
            for (++n; n < cells.size() && b.column(cells[n]) == j && b.row(cells[n]) == i1 + 1; ++n)
                ++i1;
            while (o < open.size() && open[o].i0 < i0) emit(open[o++]);
            if (o < open.size() && open[o].i0 == i0) {
                Block r = open[o++];
                if (r.i1 == i1 && r.j1 == j - 1) {
                    r.j1 = j;
                    next.push_back(r);
                    continue;
                }
                emit(r);
            }
            next.push_back({i0, i1, j, j});
        }
        while (o < open.size()) emit(open[o++]);
        std::swap(open, next);
    }
    for (const Block& r : open) emit(r);
}

// Whether both halves of the cell are whole plates at this level: every
// corner up, and neither half left to the next level's plate. The same
// comparisons as the tracer's, so a cell is merged exactly when it would
// have given its two halves whole.
bool wholeCell(const ContourCell& cell, double level, double interval) {
    const float h[4] = {cell.a, cell.b, cell.c, cell.d};
    for (float v : h) {
        if (!(v >= level)) return false;
    }
    const double covered = level + interval;
    const bool firstCovered = h[A] >= covered && h[C] >= covered && h[B] >= covered;
    const bool secondCovered = h[A] >= covered && h[D] >= covered && h[C] >= covered;
    return !firstCovered && !secondCovered;
}

class LevelBuilder {
public:
    LevelBuilder(const StepGrid& g, const LevelBuckets& buckets) : g_(g), buckets_(buckets) {}

    void build(std::size_t k, StepLevel& out) {
        out.clear();
        out.level = k;
        top_ = static_cast<float>(g_.levels[k]);
        low_ = static_cast<float>(g_.levels[k] - g_.interval);
        walls_.clear();
        ups_.clear();
        border_.clear();
        whole_.clear();
        for (const std::uint32_t c : buckets_.cells(k)) {
            const int i = buckets_.row(c), j = buckets_.column(c);
            const ContourCell cell = contourCell(g_.vertices, g_.numCols, i, j);
            const bool whole = wholeCell(cell, g_.levels[k], g_.interval);
            if (whole) whole_.push_back(c);
            stepCellFaces(
                cell, k, g_.levels[k], g_.interval, cellBorders(g_.numCols, g_.numRows, i, j),
                walls_,
                [&](const StepFace& f) {
                    if (f.kind == StepFace::Kind::BorderWall)
                        border_.push_back(f);
                    else if (!whole && !f.cut)
                        addPlate(f, out);
                },
                &ups_);
        }
        mergeBlocks(whole_, buckets_, [&](const Block& r) { addBlock(r, out); });
        addBorderWalls(out);
        if (g_.contourWalls) smoothSideQuads(walls_);
        addWallStrips(out);
    }

private:
    void addPlate(const StepFace& f, StepLevel& out) const {
        auto& to = f.count == 3 ? out.triangles : out.quads;
        to.insert(to.end(), f.vertices.begin(), f.vertices.begin() + f.count);
    }

    // A block goes row by row as cell-sized triangles. Drawn as one polygon
    // round its rim it was a fan of slivers from one corner, and the
    // rasteriser pays for a sliver along its whole length: at coarse
    // intervals, where blocks are large, that was most of a frame. Every
    // grid point of the rim is still a corner, so nothing is left to round
    // apart from the pieces beside it, and the rim points are worked out
    // as the pieces beside them work them out.
    void addBlock(const Block& r, StepLevel& out) {
        // Grid point (i, j): on the rim taken from the block's own edge
        // cells, inside from any cell with a corner there.
        auto point = [&](int i, int j) {
            int ci = i, cj = j, which = A;
            if (j == r.j0 && i <= r.i1) {
                which = A;
            } else if (i == r.i1 + 1 && j <= r.j1) {
                ci = r.i1;
                which = D;
            } else if (j == r.j1 + 1 && i > r.i0) {
                ci = i - 1;
                cj = r.j1;
                which = C;
            } else if (i == r.i0 && j > r.j0) {
                cj = j - 1;
                which = B;
            }
            const GroundPoint p =
                CellPoints(contourCell(g_.vertices, g_.numCols, ci, cj)).at(which);
            return Vec3{p.x, top_, p.z};
        };
        for (int i = r.i0; i <= r.i1; ++i) {
            row_.clear();
            // Each cell split across its other diagonal, (A, D, B) and
            // (B, D, C), wound as its own halves are: a flat plate looks the
            // same split either way.
            for (int j = r.j0; j <= r.j1 + 1; ++j) {
                row_.push_back(point(i, j));
                row_.push_back(point(i + 1, j));
            }
            appendStrip(out.blockStrip, row_);
        }
    }

    // A border wall runs from its third corner's ground point to its second's.
    static GroundPoint borderEnd(const StepFace& f, std::size_t side) {
        return ground(f.vertices[side == 0 ? 2 : 1]);
    }

    void addBorderWalls(StepLevel& out) const {
        std::vector<std::uint32_t> partner = endPartners(
            border_.size(), [&](std::size_t e) { return borderEnd(border_[e / 2], e % 2); });
        keepDirected(partner);
        const Chains chains = chainPieces(partner, true);
        for (std::size_t c = 0; c < chains.size(); ++c) {
            const StepFace* run = nullptr;
            GroundPoint from{}, to{};
            auto flush = [&] {
                if (!run) return;
                out.borderWalls.insert(out.borderWalls.end(),
                                       {Vec3{to.x, low_, to.z}, Vec3{to.x, top_, to.z},
                                        Vec3{from.x, top_, from.z}, Vec3{from.x, low_, from.z}});
                out.borderNormals.push_back(run->normals[0]);
            };
            for (std::uint32_t n = chains.begins[c]; n < chains.begins[c + 1]; ++n) {
                const StepFace& f = border_[chains.order[n] / 2];
                if (run && sameBits(f.normals[0], run->normals[0]) &&
                    runsStraightOn(from, to, borderEnd(f, 1))) {
                    to = borderEnd(f, 1);
                    continue;
                }
                flush();
                run = &f;
                from = borderEnd(f, 0);
                to = borderEnd(f, 1);
            }
            flush();
        }
    }

    // Which of the chain's points to draw. Straightened, a point goes where
    // it lies within the bend of the way between the points kept either
    // side; and where its plate's far end, the upper end of its cell edge,
    // is the far end of one of theirs, so that the plate's far side (grid
    // points, shared with the pieces beyond) stays as it was.
    void keepPoints() {
        keep_.clear();
        if (!(g_.bend > 0.0) || chain_.size() < 3) {
            for (std::uint32_t k = 0; k < chain_.size(); ++k) keep_.push_back(k);
            return;
        }
        line_.clear();
        for (const ChainPoint& p : chain_) line_.push_back(ground(p.top));
        straightenedPoints(
            line_, g_.bend,
            [&](std::size_t from, std::size_t to) {
                const ChainPoint &a = chain_[from], &b = chain_[to];
                const double span = std::hypot(b.top.x - a.top.x, b.top.z - a.top.z);
                for (std::size_t m = from + 1; m < to; ++m) {
                    const ChainPoint& p = chain_[m];
                    if (!(p.up == a.up) && !(p.up == b.up)) return false;
                    if (!g_.contourWalls) continue;
                    const double t =
                        span > 0.0 ? std::hypot(p.top.x - a.top.x, p.top.z - a.top.z) / span : 0.0;
                    const double nx = a.normal.x + t * (b.normal.x - a.normal.x);
                    const double nz = a.normal.z + t * (b.normal.z - a.normal.z);
                    const double len = std::hypot(nx, nz);
                    if (!(len > 0.0)) return false;
                    if (std::hypot(nx / len - p.normal.x, nz / len - p.normal.z) > kLightKept)
                        return false;
                }
                return true;
            },
            keep_);
    }

    void addWallStrips(StepLevel& out) {
        auto endAt = [&](std::size_t e) {
            const CSideQuad& q = walls_[e / 2];
            return ground(e % 2 == 0 ? q.first : q.second);
        };
        std::vector<std::uint32_t> partner = endPartners(walls_.size(), endAt);
        keepDirected(partner);
        // Where smoothing left the two sides of a joint lit differently the
        // strip cannot carry both: it ends there.
        for (std::size_t e = 1; g_.contourWalls && e < partner.size(); e += 2) {
            if (partner[e] == kNoPartner) continue;
            if (!sameBits(walls_[e / 2].secondNormal, walls_[partner[e] / 2].firstNormal)) {
                partner[partner[e]] = kNoPartner;
                partner[e] = kNoPartner;
            }
        }
        const Chains chains = chainPieces(partner, true);
        for (std::size_t c = 0; c < chains.size(); ++c) {
            const std::size_t first = out.wallNormals.size();
            const std::size_t firstOutline = out.outline.points.size();
            auto add = [&](const Vec3& top, const Vec3& normal) {
                const std::size_t n = out.wallNormals.size() - first;
                const GroundPoint p = ground(top);
                if (!g_.contourWalls) {
                    addOutline(out.outline, firstOutline, p);
                    return;
                }
                if (n >= 2) {
                    const std::size_t b = out.wallNormals.size() - 1;
                    if (runsStraightOn(ground(out.wallPoints[2 * b - 1]),
                                       ground(out.wallPoints[2 * b + 1]), p) &&
                        sameLight(out.wallNormals[b], out.wallNormals[b - 1]) &&
                        sameLight(normal, out.wallNormals[b - 1])) {
                        out.wallPoints[2 * b] = {p.x, low_, p.z};
                        out.wallPoints[2 * b + 1] = top;
                        out.wallNormals[b] = normal;
                        addOutline(out.outline, firstOutline, p);
                        return;
                    }
                }
                out.wallPoints.push_back({p.x, low_, p.z});
                out.wallPoints.push_back(top);
                out.wallNormals.push_back(normal);
                addOutline(out.outline, firstOutline, p);
            };
            // The cut plates along the wall: between each of its points and
            // the upper end of the edge it lies on.
            auto addPlate = [&](const Vec3& cut, GroundPoint up) {
                out.ribbons.push_back(cut);
                out.ribbons.push_back({up.x, top_, up.z});
            };
            // The chain's points: the first piece's first end, then every
            // piece's second end.
            chain_.clear();
            const std::uint32_t startPiece = chains.order[chains.begins[c]] / 2;
            chain_.push_back(
                {walls_[startPiece].first, walls_[startPiece].firstNormal, ups_[startPiece][0]});
            for (std::uint32_t n = chains.begins[c]; n < chains.begins[c + 1]; ++n) {
                const std::uint32_t piece = chains.order[n] / 2;
                chain_.push_back(
                    {walls_[piece].second, walls_[piece].secondNormal, ups_[piece][1]});
            }
            keepPoints();
            for (const std::uint32_t k : keep_) {
                add(chain_[k].top, chain_[k].normal);
                addPlate(chain_[k].top, chain_[k].up);
            }
            if (g_.contourWalls)
                out.wallEnds.push_back(static_cast<std::uint32_t>(out.wallNormals.size()));
            out.ribbonEnds.push_back(static_cast<std::uint32_t>(out.ribbons.size()));
            out.outline.ends.push_back(static_cast<std::uint32_t>(out.outline.points.size()));
        }
    }

    // The outline follows the wall's top, straight runs merged on their own
    // terms: a line has no light to keep.
    static void addOutline(Polylines& line, std::size_t first, GroundPoint p) {
        const std::size_t n = line.points.size() - first;
        if (n >= 2 && runsStraightOn(line.points[line.points.size() - 2], line.points.back(), p))
            line.points.back() = p;
        else
            line.points.push_back(p);
    }

    const StepGrid& g_;
    const LevelBuckets& buckets_;
    float top_ = 0.0f, low_ = 0.0f;
    std::vector<CSideQuad> walls_;
    std::vector<std::array<GroundPoint, 2>> ups_;
    std::vector<StepFace> border_;
    std::vector<std::uint32_t> whole_;
    std::vector<Vec3> row_;
    struct ChainPoint {
        Vec3 top;
        Vec3 normal;
        GroundPoint up;
    };
    std::vector<ChainPoint> chain_;
    std::vector<GroundPoint> line_;
    std::vector<std::uint32_t> keep_;
};

}  // namespace

void StepLevel::clear() {
    triangles.clear();
    quads.clear();
    blockStrip.clear();
    ribbons.clear();
    ribbonEnds.clear();
    borderWalls.clear();
    borderNormals.clear();
    wallPoints.clear();
    wallNormals.clear();
    wallEnds.clear();
    outline.clear();
}

LevelBuckets stepLevelBuckets(const StepGrid& g) {
    return LevelBuckets(
        g.numCols, g.numRows, g.levels.size(),
        [&](const ContourCell& cell, int i, int j) {
            return stepSolidLevels(g.levels, cell, g.interval,
                                   cellBorders(g.numCols, g.numRows, i, j));
        },
        g.vertices);
}

std::size_t StepLevel::solidVertices() const {
    return triangles.size() + quads.size() + blockStrip.size() + ribbons.size() +
           borderWalls.size() + wallPoints.size();
}

void traceStepLevels(const StepGrid& g, StepLevelSink emit) {
    if (g.numCols < 2 || g.numRows < 2 || g.levels.empty()) return;
    const LevelBuckets buckets = stepLevelBuckets(g);
    LevelBuilder builder(g, buckets);
    StepLevel level;
    for (std::size_t k = 0; k < g.levels.size(); ++k) {
        builder.build(k, level);
        emit(level);
    }
}

std::size_t estimateStepVertices(const StepGrid& g) {
    if (g.numCols < 2 || g.numRows < 2) return 0;
    std::size_t total = 0;
    auto below = [&](double h) {
        return static_cast<std::size_t>(std::upper_bound(g.levels.begin(), g.levels.end(), h) -
                                        g.levels.begin());
    };
    // The level (plus one) a cell is a whole plate at, 0 for none.
    const int rows = g.numRows - 1, cols = g.numCols - 1;
    std::vector<std::uint32_t> wholeLevel(static_cast<std::size_t>(rows) * cols, 0);
    for (int j = 0; j < cols; ++j) {
        for (int i = 0; i < rows; ++i) {
            const ContourCell cell = contourCell(g.vertices, g.numCols, i, j);
            std::size_t wholeAt[2] = {0, 0};
            const float halves[2][3] = {{cell.a, cell.c, cell.b}, {cell.a, cell.d, cell.c}};
            for (int h = 0; h < 2; ++h) {
                float s[3] = {halves[h][0], halves[h][1], halves[h][2]};
                std::sort(s, s + 3);
                // Levels above the lowest corner cut the half: each cut
                // gives two vertices of the plates' strip, two of the
                // wall's and an outline point.
                total += (below(s[2]) - below(s[0])) * 5;
                // The highest level under the whole half is where it is a
                // whole plate.
                wholeAt[h] = below(s[0]);
            }
            if (wholeAt[0] != wholeAt[1])
                total += (wholeAt[0] > 0 ? 3 : 0) + (wholeAt[1] > 0 ? 3 : 0);
            else
                wholeLevel[static_cast<std::size_t>(j) * rows + i] =
                    static_cast<std::uint32_t>(wholeAt[0]);
        }
    }
    // A block takes two points a whole cell, and for each of its rows two
    // more for the last column and about three to join the strip: counted
    // at each whole cell with no whole cell of its level before it in
    // its row.
    auto levelAt = [&](int i, int j) {
        return i < 0 || j < 0 || i >= rows || j >= cols
                   ? 0u
                   : wholeLevel[static_cast<std::size_t>(j) * rows + i];
    };
    for (int j = 0; j < cols; ++j) {
        for (int i = 0; i < rows; ++i) {
            const std::uint32_t k = levelAt(i, j);
            if (k == 0) continue;
            total += 2 + (levelAt(i, j - 1) != k ? 5 : 0);
        }
    }
    return total;
}

}  // namespace hg
