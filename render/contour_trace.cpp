// SPDX-License-Identifier: MIT
#include "render/contour_trace.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/contour_points.h"

namespace hg {

namespace {

using namespace contour_detail;

// Hand-edited settings could ask for an interval far below a height unit;
// beyond this many levels the picture is a solid smear anyway.
constexpr double kMaxLevels = 1 << 20;

// A triangle is cut on two edges or none; its segment joins the first
// cut edge to the second, in the order the edges are listed.
void traceTriangle(const CellPoints& pts, double level, const Edge (&edges)[3], SegmentSink emit) {
    const Edge* cut[2] = {nullptr, nullptr};
    int found = 0;
    for (const Edge& e : edges) {
        if (pts.cut(e.from, e.to, level) && found < 2) cut[found++] = &e;
    }
    if (found < 2) return;
    emit({pts.cutPoint(cut[0]->from, cut[0]->to, level),
          pts.cutPoint(cut[1]->from, cut[1]->to, level)});
}

}  // namespace

std::vector<double> contourLevels(float minY, float maxY, float seaLevel, double interval,
                                  double yFactor, BelowSea belowSea) {
    std::vector<double> levels;
    if (!(interval > 0.0) || !std::isfinite(interval)) return levels;
    const double end = std::ceil(maxY / interval) * interval;
    double start = std::floor(minY / interval) * interval;
    if (belowSea == BelowSea::Skipped && seaLevel > start) start = seaLevel;
    start -= 0.01 * yFactor;
    const double count = std::ceil((end - start) / interval);
    if (!std::isfinite(count) || count > kMaxLevels) return levels;
    for (int k = 0;; ++k) {
        const double level = start + k * interval;
        if (!(level < end)) break;
        levels.push_back(level);
    }
    return levels;
}

ContourCell contourCell(std::span<const float> vertices, int numCols, int i, int j) {
    auto at = [&](int row, int col) {
        return (static_cast<std::size_t>(row) * static_cast<std::size_t>(numCols) +
                static_cast<std::size_t>(col)) *
               3;
    };
    const std::size_t a = at(i, j), b = at(i, j + 1), c = at(i + 1, j + 1), d = at(i + 1, j);
    ContourCell cell;
    cell.x = vertices[a];
    cell.z = vertices[a + 2];
    cell.dx = vertices[b] - vertices[a];
    cell.dz = vertices[d + 2] - vertices[a + 2];
    cell.a = vertices[a + 1];
    cell.b = vertices[b + 1];
    cell.c = vertices[c + 1];
    cell.d = vertices[d + 1];
    return cell;
}

LevelSpan levelsBetween(std::span<const double> levels, double lo, double hi) {
    const auto first = std::upper_bound(levels.begin(), levels.end(), lo);
    const auto last = std::upper_bound(first, levels.end(), hi);
    return {static_cast<std::size_t>(first - levels.begin()),
            static_cast<std::size_t>(last - levels.begin())};
}

LevelSpan fanLevels(std::span<const double> levels, const ContourCell& cell) {
    const float m = cell.centre();
    return levelsBetween(levels, std::min({cell.a, cell.b, cell.c, cell.d, m}),
                         std::max({cell.a, cell.b, cell.c, cell.d, m}));
}

LevelSpan diagonalLevels(std::span<const double> levels, const ContourCell& cell) {
    return levelsBetween(levels, std::min({cell.a, cell.b, cell.c, cell.d}),
                         std::max({cell.a, cell.b, cell.c, cell.d}));
}

void traceCentreFan(const ContourCell& cell, double level, SegmentSink emit) {
    const CellPoints pts(cell);
    // Each triangle lists its outer edge, then the half-diagonals from its
    // first and its second corner.
    static constexpr Edge kFan[4][3] = {
        {kAB, kAM, kMB}, {kBC, kMB, kMC}, {kDC, kMC, kDM}, {kAD, kDM, kAM}};
    for (const auto& edges : kFan) traceTriangle(pts, level, edges, emit);
}

void traceDiagonal(const ContourCell& cell, double level, SegmentSink emit) {
    const CellPoints pts(cell);
    static constexpr Edge kHalves[2][3] = {{kAB, kBC, kAC}, {kDC, kAD, kAC}};
    for (const auto& edges : kHalves) traceTriangle(pts, level, edges, emit);
}

CellBorders cellBorders(int numCols, int numRows, int i, int j) {
    return {i == 0, j == numCols - 2, i == numRows - 2, j == 0};
}

}  // namespace hg
