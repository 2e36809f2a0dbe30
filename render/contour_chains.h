// SPDX-License-Identifier: MIT
#pragma once

// Joining a level's contour pieces end to end, and grouping the cells of a
// grid by the levels they reach: the line and wall strips of 3D-Contour
// and Step are made from these, so that what a level costs follows the
// length of its outline rather than the cells it covers.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "render/contour_trace.h"
#include "render/function_ref.h"

namespace hg {

inline constexpr std::uint32_t kNoPartner = 0xFFFFFFFFu;

// The partner of each end of n pieces: end 2p is the first end of piece p,
// 2p + 1 its second. Two ends at exactly the same point are partners when
// no other end lies there; where three or more meet (a corner exactly on a
// level) none is, so a line through there ends and starts again.
std::vector<std::uint32_t> endPartners(std::size_t n, FunctionRef<GroundPoint(std::size_t)> endAt);

// Pieces in chains: each entry of order is 2p + s for piece p entered at
// its end s, and chain c runs over order[begins[c]] up to order[begins[c + 1]].
// Chains start at a free end (only a free first end when directed, where
// every partner of a second end is a first end); what is left are rings,
// which come back to the end they started from.
struct Chains {
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> begins;
    std::size_t size() const { return begins.empty() ? 0 : begins.size() - 1; }
};

Chains chainPieces(std::span<const std::uint32_t> partner, bool directed = false);

// Lines at one level: line c is points[ends[c - 1]] up to points[ends[c]].
struct Polylines {
    std::vector<GroundPoint> points;
    std::vector<std::uint32_t> ends;
    void clear() {
        points.clear();
        ends.clear();
    }
};

// Whether b lies on the straight way from a to c, strictly between them.
// The arithmetic is exact for float coordinates, so only a true straight
// run is merged and no line moves.
bool runsStraightOn(GroundPoint a, GroundPoint b, GroundPoint c);

// Appends the pieces joined wherever they meet end to end, whichever way
// each was traced. Points where a line runs straight on are left out; a
// piece of no length stays on its own, as it was drawn.
void joinPieces(std::span<const ContourSegment> pieces, Polylines& out);

// Leaves out the inner points of each line that lie within `tolerance` of
// the straight way between the points kept before and after them, and
// between those two points along it: a line moves by no more than that.
// The ends of every line stay, so lines still meet and rings still close.
void straightenLines(Polylines& lines, double tolerance);

// The indices of the points straightenLines keeps of one line, into keep,
// where also mayLeaveOut(from, to) must allow leaving out every point
// strictly between the kept points from and to.
void straightenedPoints(std::span<const GroundPoint> line, double tolerance,
                        FunctionRef<bool(std::size_t, std::size_t)> mayLeaveOut,
                        std::vector<std::uint32_t>& keep);

// The cells of a grid grouped by the levels each can give a piece at (as
// spanOf says), keeping the sweep order (column outer, row inner) within a
// level. A cell is numbered c = j * (numRows - 1) + i.
class LevelBuckets {
public:
    LevelBuckets(int numCols, int numRows, std::size_t levelCount,
                 FunctionRef<LevelSpan(const ContourCell&, int i, int j)> spanOf,
                 std::span<const float> vertices);

    std::span<const std::uint32_t> cells(std::size_t level) const {
        return std::span(cells_).subspan(start_[level], start_[level + 1] - start_[level]);
    }
    int row(std::uint32_t c) const { return static_cast<int>(c % rows_); }
    int column(std::uint32_t c) const { return static_cast<int>(c / rows_); }

private:
    std::uint32_t rows_ = 1;
    std::vector<std::size_t> start_;
    std::vector<std::uint32_t> cells_;
};

}  // namespace hg
