// SPDX-License-Identifier: MIT
#include <algorithm>
#include <limits>

#include "render/contour_points.h"
#include "render/contour_trace.h"

namespace hg {

namespace {

using namespace contour_detail;

// One half of a cell split along A-C. Its corners are listed in the order
// the plate goes round, each side joining a corner to the next; a border
// edge names the side and the direction its wall is given in.
struct Half {
    int corners[3];
    Edge sides[3];
    struct Border {
        bool CellBorders::*onSide;
        int from;
        int to;
        Edge edge;
    } borders[2];
};

constexpr Half kHalves[2] = {
    {{A, C, B},
     {kAC, kBC, kAB},
     {{&CellBorders::top, B, A, kAB}, {&CellBorders::right, C, B, kBC}}},
    {{A, D, C},
     {kAD, kDC, kAC},
     {{&CellBorders::bottom, D, C, kDC}, {&CellBorders::left, A, D, kAD}}},
};

StepPiece piece(StepPiece::Kind kind, std::initializer_list<GroundPoint> points) {
    StepPiece p;
    p.kind = kind;
    for (const GroundPoint& g : points) p.points[static_cast<std::size_t>(p.count++)] = g;
    return p;
}

void borderWalls(const CellPoints& pts, double level, const Half& half, CellBorders borders,
                 StepPieceSink emit) {
    for (const Half::Border& b : half.borders) {
        if (!(borders.*b.onSide)) continue;
        const bool fromUp = pts.up(b.from, level), toUp = pts.up(b.to, level);
        if (!fromUp && !toUp) continue;
        const GroundPoint from =
            fromUp ? pts.at(b.from) : pts.cutPoint(b.edge.from, b.edge.to, level);
        const GroundPoint to = toUp ? pts.at(b.to) : pts.cutPoint(b.edge.from, b.edge.to, level);
        if (from == to) continue;
        emit(piece(StepPiece::Kind::BorderWall, {from, to}));
    }
}

// The wall along the contour faces the lower ground: its ends are ordered by
// the side a corner below the level lies on.
StepPiece contourWall(const CellPoints& pts, const GroundPoint (&cuts)[2],
                      const GroundPoint (&ups)[2], int downCorner) {
    int first = 0;
    const GroundPoint low = pts.at(downCorner), p1 = cuts[0], p2 = cuts[1];
    const double nx = -(static_cast<double>(p2.z) - p1.z), nz = static_cast<double>(p2.x) - p1.x;
    if (nx * (static_cast<double>(low.x) - p1.x) + nz * (static_cast<double>(low.z) - p1.z) < 0.0)
        first = 1;
    StepPiece p = piece(StepPiece::Kind::Wall, {cuts[first], cuts[1 - first]});
    p.points[2] = ups[first];
    p.points[3] = ups[1 - first];
    return p;
}

void traceHalf(const CellPoints& pts, double level, double interval, const Half& half,
               CellBorders borders, StepPieceSink emit) {
    int up = 0, down = -1;
    for (int corner : half.corners) {
        if (pts.up(corner, level))
            ++up;
        else
            down = corner;
    }
    if (up == 0) return;
    if (up == 3) {
        borderWalls(pts, level, half, borders, emit);
        const double covered = level + interval;
        const bool underNextPlate = std::all_of(std::begin(half.corners), std::end(half.corners),
                                                [&](int c) { return pts.h[c] >= covered; });
        if (!underNextPlate) {
            emit(piece(StepPiece::Kind::Plate, {pts.at(half.corners[0]), pts.at(half.corners[1]),
                                                pts.at(half.corners[2])}));
        }
        return;
    }
    StepPiece plate;
    plate.kind = StepPiece::Kind::Plate;
    plate.cut = true;
    GroundPoint cuts[2], ups[2];
    int found = 0;
    for (int k = 0; k < 3; ++k) {
        if (pts.up(half.corners[k], level)) plate.points[plate.count++] = pts.at(half.corners[k]);
        const Edge& side = half.sides[k];
        if (pts.cut(side.from, side.to, level)) {
            const GroundPoint g = pts.cutPoint(side.from, side.to, level);
            plate.points[plate.count++] = g;
            if (found < 2) {
                ups[found] = pts.at(pts.up(side.from, level) ? side.from : side.to);
                cuts[found++] = g;
            }
        }
    }
    emit(plate);
    if (found == 2 && !(cuts[0] == cuts[1])) emit(contourWall(pts, cuts, ups, down));
    borderWalls(pts, level, half, borders, emit);
}

}  // namespace

void traceStepSolid(const ContourCell& cell, double level, double interval, CellBorders borders,
                    StepPieceSink emit) {
    const CellPoints pts(cell);
    for (const Half& half : kHalves) traceHalf(pts, level, interval, half, borders, emit);
}

LevelSpan stepSolidLevels(std::span<const double> levels, const ContourCell& cell, double interval,
                          CellBorders borders) {
    const bool onBorder = borders.top || borders.right || borders.bottom || borders.left;
    const double lowest = std::min({cell.a, cell.b, cell.c, cell.d});
    const double highest = std::max({cell.a, cell.b, cell.c, cell.d});
    const double lo = onBorder ? -std::numeric_limits<double>::infinity() : lowest - interval;
    LevelSpan span = levelsBetween(levels, lo, highest);
    // The tracer compares each corner with level + interval, which may round
    // the other way than lowest - interval: one level more keeps its plate.
    if (span.first > 0 && !onBorder) --span.first;
    return span;
}

}  // namespace hg
