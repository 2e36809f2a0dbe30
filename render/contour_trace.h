// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "render/function_ref.h"

namespace hg {

// The contour levels in drawing units, ascending, `interval` apart: from
// the lowest height rounded down to the interval (raised to sea level unless
// the terrain's contours run below the sea)
// and lowered by a hundredth of a height unit, so that ground lying exactly
// on a rounded level is cut; up to, not including, the highest height
// rounded up. A non-positive or non-finite interval gives no levels.
enum class BelowSea { Skipped, Contoured };
std::vector<double> contourLevels(float minY, float maxY, float seaLevel, double interval,
                                  double yFactor, BelowSea belowSea);

// What a terrain's record says of the ground below the sea.
inline BelowSea belowSeaOf(bool contoursBelowSea) {
    return contoursBelowSea ? BelowSea::Contoured : BelowSea::Skipped;
}

// A place on the ground; a contour piece lies at its level's height.
struct GroundPoint {
    float x = 0.0f;
    float z = 0.0f;
    friend bool operator==(const GroundPoint&, const GroundPoint&) = default;
};

struct ContourSegment {
    GroundPoint from;
    GroundPoint to;
};

// One grid cell as the tracers read it: the position of its first corner
// A = (i, j), its extents to B = (i, j + 1) along x and to D = (i + 1, j)
// along z, and the heights of A, B, C = (i + 1, j + 1) and D. The grid is
// taken as regular: the other corners' positions are not read.
struct ContourCell {
    float x = 0.0f;
    float z = 0.0f;
    float dx = 0.0f;
    float dz = 0.0f;
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 0.0f;

    // The mean of the four corners, the height of the fan's hub.
    float centre() const { return (a + b + c + d) * 0.25f; }
};

// The cell whose first corner is (row i, column j) of a grid of numCols
// columns, from vertex triples (x, y, z) in row-major order.
ContourCell contourCell(std::span<const float> vertices, int numCols, int i, int j);

// The level indices [first, last) a cell can give a piece at.
struct LevelSpan {
    std::size_t first = 0;
    std::size_t last = 0;
    bool empty() const { return first >= last; }
};

// The levels L with lo < L <= hi: a level cuts a cell only where some
// point lies below it and some at or above it.
LevelSpan levelsBetween(std::span<const double> levels, double lo, double hi);

// The levels that cut the centre fan (corners and centre), and the levels
// that cut the two triangles of the A-C diagonal (corners only).
LevelSpan fanLevels(std::span<const double> levels, const ContourCell& cell);
LevelSpan diagonalLevels(std::span<const double> levels, const ContourCell& cell);

using SegmentSink = FunctionRef<void(const ContourSegment&)>;

// The contour of one level through one cell split into four triangles
// around its centre, (A, B, M), (B, C, M), (C, D, M), (D, A, M) in this
// order, at most one segment a triangle. A point is up when its height is
// at or above the level.
void traceCentreFan(const ContourCell& cell, double level, SegmentSink emit);

// The same for the cell split along the diagonal A-C into (A, B, C) and
// (A, C, D).
void traceDiagonal(const ContourCell& cell, double level, SegmentSink emit);

// Which sides of the grid a cell lies on: the row-0 side (z smallest), the
// last-column side, the last-row side and the column-0 side.
struct CellBorders {
    bool top = false;
    bool right = false;
    bool bottom = false;
    bool left = false;
};

CellBorders cellBorders(int numCols, int numRows, int i, int j);

// A piece of a terraced level. A plate is the part of a triangle at or
// above the level, 3 or 4 points in order around it, drawn flat at the
// level. A wall stands one interval high below its two points: for a wall
// along a contour the horizontal normal (-(to.z - from.z), 0, to.x - from.x)
// points toward the lower ground; for a wall on the grid border it points
// out of the grid. A contour wall also gives, in points[2] and points[3],
// the upper ends of the cell edges its two points lie on: with the wall's
// own points they outline the plate of its triangle, which is cut, so the
// plates along a contour can go as one strip.
struct StepPiece {
    enum class Kind { Plate, Wall, BorderWall };
    Kind kind = Kind::Plate;
    std::array<GroundPoint, 4> points{};
    int count = 0;
    // A plate of a triangle the level cuts, not a whole one.
    bool cut = false;
};

using StepPieceSink = FunctionRef<void(const StepPiece&)>;

// The pieces of one level in one cell, triangle (A, B, C) then (A, C, D).
// A triangle wholly up gives its border walls and then itself as a plate,
// unless all its corners are a whole interval above the level (the next
// level's plate covers it); one partly up gives its plate, its wall and
// the border walls of its up part. A wall of no length (a corner exactly on
// the level) has no face to light and is not given.
void traceStepSolid(const ContourCell& cell, double level, double interval, CellBorders borders,
                    StepPieceSink emit);

// The levels traceStepSolid can give pieces at: up to the highest corner,
// and down to a level below the lowest corner for cells on the border
// (their walls stand at every level) or an interval below it for the rest.
// May include one level that gives nothing.
LevelSpan stepSolidLevels(std::span<const double> levels, const ContourCell& cell, double interval,
                          CellBorders borders);

}  // namespace hg
