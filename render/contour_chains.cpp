// SPDX-License-Identifier: MIT
#include "render/contour_chains.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace hg {

namespace {

// The point as one sortable number. Minus zero compares equal to zero, so
// it must land in the same place.
std::uint64_t pointKey(GroundPoint p) {
    const float x = p.x == 0.0f ? 0.0f : p.x, z = p.z == 0.0f ? 0.0f : p.z;
    return (std::uint64_t{std::bit_cast<std::uint32_t>(x)} << 32) | std::bit_cast<std::uint32_t>(z);
}

}  // namespace

std::vector<std::uint32_t> endPartners(std::size_t n, FunctionRef<GroundPoint(std::size_t)> endAt) {
    std::vector<std::pair<std::uint64_t, std::uint32_t>> ends(2 * n);
    for (std::size_t e = 0; e < 2 * n; ++e)
        ends[e] = {pointKey(endAt(e)), static_cast<std::uint32_t>(e)};
    std::sort(ends.begin(), ends.end());
    std::vector<std::uint32_t> partner(2 * n, kNoPartner);
    for (std::size_t a = 0; a < ends.size();) {
        std::size_t b = a + 1;
        while (b < ends.size() && ends[b].first == ends[a].first) ++b;
        if (b - a == 2) {
            partner[ends[a].second] = ends[a + 1].second;
            partner[ends[a + 1].second] = ends[a].second;
        }
        a = b;
    }
    return partner;
}

Chains chainPieces(std::span<const std::uint32_t> partner, bool directed) {
    const std::size_t n = partner.size() / 2;
    Chains out;
    out.order.reserve(n);
    out.begins.reserve(n + 1);
    out.begins.push_back(0);
    std::vector<bool> taken(n, false);
    auto walk = [&](std::uint32_t piece, std::uint32_t side) {
        while (!taken[piece]) {
            taken[piece] = true;
            out.order.push_back(2 * piece + side);
            const std::uint32_t next = partner[2 * piece + (1 - side)];
            if (next == kNoPartner) break;
            piece = next / 2;
            side = next % 2;
        }
        out.begins.push_back(static_cast<std::uint32_t>(out.order.size()));
    };
    for (std::uint32_t p = 0; p < n; ++p) {
        if (taken[p]) continue;
        if (partner[2 * p] == kNoPartner)
            walk(p, 0);
        else if (!directed && partner[2 * p + 1] == kNoPartner)
            walk(p, 1);
    }
    for (std::uint32_t p = 0; p < n; ++p) {
        if (!taken[p]) walk(p, 0);
    }
    return out;
}

bool runsStraightOn(GroundPoint a, GroundPoint b, GroundPoint c) {
    // Differences of floats and their products fit a double exactly; the
    // one rounding, in the subtraction, cannot turn unequal products into 0.
    const double ux = static_cast<double>(b.x) - a.x, uz = static_cast<double>(b.z) - a.z;
    const double vx = static_cast<double>(c.x) - b.x, vz = static_cast<double>(c.z) - b.z;
    return ux * vz - uz * vx == 0.0 && ux * vx + uz * vz > 0.0;
}

void joinPieces(std::span<const ContourSegment> pieces, Polylines& out) {
    // Pieces of no length would meet themselves; they keep their own lines.
    std::vector<std::uint32_t> joined;
    joined.reserve(pieces.size());
    for (std::uint32_t p = 0; p < pieces.size(); ++p) {
        if (pieces[p].from == pieces[p].to) {
            out.points.push_back(pieces[p].from);
            out.points.push_back(pieces[p].to);
            out.ends.push_back(static_cast<std::uint32_t>(out.points.size()));
        } else {
            joined.push_back(p);
        }
    }
    auto endAt = [&](std::size_t e) {
        const ContourSegment& s = pieces[joined[e / 2]];
        return e % 2 == 0 ? s.from : s.to;
    };
    const Chains chains = chainPieces(endPartners(joined.size(), endAt));
    for (std::size_t c = 0; c < chains.size(); ++c) {
        const std::size_t first = out.points.size();
        auto add = [&](GroundPoint p) {
            const std::size_t n = out.points.size() - first;
            if (n >= 2 && runsStraightOn(out.points[out.points.size() - 2], out.points.back(), p))
                out.points.back() = p;
            else
                out.points.push_back(p);
        };
        const std::uint32_t firstEnd = chains.order[chains.begins[c]];
        out.points.push_back(endAt(firstEnd));
        for (std::uint32_t k = chains.begins[c]; k < chains.begins[c + 1]; ++k)
            add(endAt(chains.order[k] ^ 1u));
        out.ends.push_back(static_cast<std::uint32_t>(out.points.size()));
    }
}

namespace {

// Whether every point strictly between first and last lies within
// tolerance of the straight way from one to the other.
bool withinBand(std::span<const GroundPoint> run, double tolerance) {
    const GroundPoint a = run.front(), e = run.back();
    const double ux = static_cast<double>(e.x) - a.x, uz = static_cast<double>(e.z) - a.z;
    const double length2 = ux * ux + uz * uz;
    if (length2 == 0.0) return false;
    const double reach = tolerance * std::sqrt(length2);
    for (const GroundPoint& m : run.subspan(1, run.size() - 2)) {
        const double wx = static_cast<double>(m.x) - a.x, wz = static_cast<double>(m.z) - a.z;
        const double along = ux * wx + uz * wz;
        if (std::fabs(ux * wz - uz * wx) > reach || along < 0.0 || along > length2) return false;
    }
    return true;
}

}  // namespace

void straightenedPoints(std::span<const GroundPoint> line, double tolerance,
                        FunctionRef<bool(std::size_t, std::size_t)> mayLeaveOut,
                        std::vector<std::uint32_t>& keep) {
    keep.clear();
    if (line.empty()) return;
    // Greedy: from each kept point, reach as far along as the band allows.
    std::size_t from = 0;
    keep.push_back(0);
    while (from + 1 < line.size()) {
        std::size_t to = from + 2;
        while (to < line.size() && withinBand(line.subspan(from, to - from + 1), tolerance) &&
               mayLeaveOut(from, to))
            ++to;
        from = to - 1;
        keep.push_back(static_cast<std::uint32_t>(from));
    }
}

void straightenLines(Polylines& lines, double tolerance) {
    std::size_t kept = 0;
    std::uint32_t first = 0;
    std::vector<std::uint32_t> keep;
    for (std::uint32_t& end : lines.ends) {
        const std::span<const GroundPoint> line(lines.points.data() + first, end - first);
        straightenedPoints(
            line, tolerance, [](std::size_t, std::size_t) { return true; }, keep);
        // Kept points move down in place, never past what is still to be read.
        for (const std::uint32_t k : keep) lines.points[kept++] = line[k];
        first = end;
        end = static_cast<std::uint32_t>(kept);
    }
    lines.points.resize(kept);
}

LevelBuckets::LevelBuckets(int numCols, int numRows, std::size_t levelCount,
                           FunctionRef<LevelSpan(const ContourCell&, int, int)> spanOf,
                           std::span<const float> vertices)
    : start_(levelCount + 1, 0) {
    if (numCols < 2 || numRows < 2 || levelCount == 0) return;
    rows_ = static_cast<std::uint32_t>(numRows - 1);
    const std::size_t cellCount = std::size_t{rows_} * static_cast<std::size_t>(numCols - 1);
    std::vector<LevelSpan> spans(cellCount);
    for (std::size_t c = 0; c < cellCount; ++c) {
        const int i = static_cast<int>(c % rows_), j = static_cast<int>(c / rows_);
        spans[c] = spanOf(contourCell(vertices, numCols, i, j), i, j);
        if (spans[c].empty()) continue;
        ++start_[spans[c].first];
        --start_[spans[c].last];
    }
    // From the span ends to the number of cells at each level, then to
    // where each level's group begins.
    std::size_t running = 0, total = 0;
    for (std::size_t k = 0; k < levelCount; ++k) {
        running += start_[k];
        start_[k] = total;
        total += running;
    }
    start_[levelCount] = total;
    cells_.resize(total);
    std::vector<std::size_t> fill(start_.begin(), start_.end() - 1);
    for (std::size_t c = 0; c < cellCount; ++c) {
        for (std::size_t k = spans[c].first; k < spans[c].last; ++k)
            cells_[fill[k]++] = static_cast<std::uint32_t>(c);
    }
}

}  // namespace hg
