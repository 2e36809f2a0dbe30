// SPDX-License-Identifier: MIT
#pragma once

// The points of one contour cell, shared by the tracers; not for styles.

#include "render/contour_trace.h"

namespace hg::contour_detail {

enum Corner { A, B, C, D, M };

// A cell's points as offsets from A, with their heights. Offsets keep the
// cut points on an edge of constant x (or z) exactly on it.
struct CellPoints {
    float u[5];
    float v[5];
    float h[5];
    const ContourCell& cell;

    explicit CellPoints(const ContourCell& c)
        : u{0.0f, c.dx, c.dx, 0.0f, c.dx * 0.5f},
          v{0.0f, 0.0f, c.dz, c.dz, c.dz * 0.5f},
          h{c.a, c.b, c.c, c.d, c.centre()},
          cell(c) {}

    bool up(int p, double level) const { return h[p] >= level; }
    bool cut(int p, int q, double level) const { return up(p, level) != up(q, level); }

    // Where the level crosses the edge from p to q; the direction matters
    // only to the last bit, kept the same wherever an edge is shared.
    GroundPoint cutPoint(int p, int q, double level) const {
        const double t = (level - h[p]) / (static_cast<double>(h[q]) - h[p]);
        return {static_cast<float>(cell.x + (u[p] + t * (static_cast<double>(u[q]) - u[p]))),
                static_cast<float>(cell.z + (v[p] + t * (static_cast<double>(v[q]) - v[p])))};
    }
    GroundPoint at(int p) const {
        return {static_cast<float>(cell.x + static_cast<double>(u[p])),
                static_cast<float>(cell.z + static_cast<double>(v[p]))};
    }
};

struct Edge {
    int from;
    int to;
};

// The edges in the direction each is interpolated.
constexpr Edge kAB{A, B}, kBC{B, C}, kDC{D, C}, kAD{A, D}, kAC{A, C};
constexpr Edge kAM{A, M}, kMB{M, B}, kMC{M, C}, kDM{D, M};

}  // namespace hg::contour_detail
