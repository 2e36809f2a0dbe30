// SPDX-License-Identifier: MIT
#include "render/fold_cover.h"

#include <algorithm>
#include <cmath>

namespace hg {

namespace {

// Tiles of the coverage mask, in pixels a side.
constexpr int kTile = 4;
// How far a triangle's outline is widened, in pixels: far more than the
// renderer's own rounding of the corners, so no pixel it fills falls outside.
constexpr float kMargin = 1.0f;
// Below this area in square pixels a triangle is as good as edge-on: the
// renderer snaps corners to a 256th of a pixel, so its turn there may not
// be ours, and it counts as both kinds.
constexpr float kEdgeOn = 0.05f;
// Gaps of fewer triangles than this between two pieces are drawn rather
// than paid for with another call.
constexpr std::size_t kJoinGap = 48;

struct Corners {
    std::uint32_t a, b, c;
};

// Twice the signed area of the triangle abc in a plane.
inline float turnOf(float ax, float ay, float bx, float by, float cx, float cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// The tiles a triangle's widened outline touches, clamped to the mask;
// false when it misses the mask.
struct TileBox {
    int x0, y0, x1, y1;
};

class TileMask {
public:
    explicit TileMask(const std::array<int, 4>& viewport)
        : left_(viewport[0]),
          bottom_(viewport[1]),
          cols_((viewport[2] + kTile - 1) / kTile),
          rows_((viewport[3] + kTile - 1) / kTile),
          width_(static_cast<float>(cols_ * kTile)),
          height_(static_cast<float>(rows_ * kTile)),
          marks_(static_cast<std::size_t>(cols_ + 1) * static_cast<std::size_t>(rows_ + 1), 0) {}

    bool box(const float* a, const float* b, const float* c, TileBox& out) const {
        const float x0 = std::min(a[0], std::min(b[0], c[0])) - kMargin - left_;
        const float x1 = std::max(a[0], std::max(b[0], c[0])) + kMargin - left_;
        const float y0 = std::min(a[1], std::min(b[1], c[1])) - kMargin - bottom_;
        const float y1 = std::max(a[1], std::max(b[1], c[1])) + kMargin - bottom_;
        if (x1 < 0.0f || y1 < 0.0f || x0 >= width_ || y0 >= height_) return false;
        out.x0 = static_cast<int>(std::max(x0, 0.0f)) / kTile;
        out.y0 = static_cast<int>(std::max(y0, 0.0f)) / kTile;
        out.x1 = std::min(static_cast<int>(x1) / kTile, cols_ - 1);
        out.y1 = std::min(static_cast<int>(y1) / kTile, rows_ - 1);
        return true;
    }

    void mark(const TileBox& b) {
        for (int y = b.y0; y <= b.y1; ++y)
            for (int x = b.x0; x <= b.x1; ++x) at(x + 1, y + 1) = 1;
    }

    // Turns the marks into running sums, so that any box is asked in four
    // look-ups.
    void sum() {
        for (int y = 1; y <= rows_; ++y)
            for (int x = 1; x <= cols_; ++x)
                at(x, y) += at(x - 1, y) + at(x, y - 1) - at(x - 1, y - 1);
    }

    bool touches(const TileBox& b) const {
        return at(b.x1 + 1, b.y1 + 1) - at(b.x0, b.y1 + 1) - at(b.x1 + 1, b.y0) + at(b.x0, b.y0) >
               0;
    }

private:
    int& at(int x, int y) {
        return marks_[static_cast<std::size_t>(y) * static_cast<std::size_t>(cols_ + 1) +
                      static_cast<std::size_t>(x)];
    }
    int at(int x, int y) const {
        return marks_[static_cast<std::size_t>(y) * static_cast<std::size_t>(cols_ + 1) +
                      static_cast<std::size_t>(x)];
    }

    int left_, bottom_, cols_, rows_;
    float width_, height_;
    std::vector<int> marks_;
};

enum class Kind : std::uint8_t { None, Agrees, Differs, Both };

}  // namespace

bool projectToWindow(const std::array<float, 16>& modelview,
                     const std::array<float, 16>& projection, const std::array<int, 4>& viewport,
                     const std::vector<float>& vertices, std::size_t count,
                     std::vector<float>& out) {
    // One matrix for both steps: clip = projection x modelview.
    std::array<double, 16> m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                m[c * 4 + r] += static_cast<double>(projection[k * 4 + r]) * modelview[c * 4 + k];
    count = std::min(count, vertices.size() / 3);
    out.resize(count * 2);
    const double halfW = viewport[2] * 0.5, halfH = viewport[3] * 0.5;
    for (std::size_t v = 0; v < count; ++v) {
        const double x = vertices[v * 3], y = vertices[v * 3 + 1], z = vertices[v * 3 + 2];
        const double w = m[3] * x + m[7] * y + m[11] * z + m[15];
        if (!(w > 1e-6)) return false;
        const double cx = m[0] * x + m[4] * y + m[8] * z + m[12];
        const double cy = m[1] * x + m[5] * y + m[9] * z + m[13];
        out[v * 2] = static_cast<float>(viewport[0] + (cx / w + 1.0) * halfW);
        out[v * 2 + 1] = static_cast<float>(viewport[1] + (cy / w + 1.0) * halfH);
    }
    return true;
}

std::vector<IndexRun> overlappingRuns(const std::vector<float>& window,
                                      const std::vector<float>& vertices,
                                      const std::vector<std::uint32_t>& indices, bool strips,
                                      const std::array<int, 4>& viewport) {
    std::vector<IndexRun> runs;
    const std::size_t triangles =
        strips ? (indices.size() >= 3 ? indices.size() - 2 : 0) : indices.size() / 3;
    if (triangles == 0 || viewport[2] <= 0 || viewport[3] <= 0) return runs;
    auto corners = [&](std::size_t t) {
        const std::size_t at = strips ? t : t * 3;
        return Corners{indices[at], indices[at + 1], indices[at + 2]};
    };
    const std::size_t known = std::min(window.size() / 2, vertices.size() / 3);

    // Each triangle's kind and tiles, worked out once for both sweeps.
    std::vector<Kind> kinds(triangles, Kind::None);
    std::vector<TileBox> boxes(triangles);
    TileMask mask(viewport);
    std::size_t agree = 0, differ = 0;
    for (std::size_t t = 0; t < triangles; ++t) {
        const Corners c = corners(t);
        // A strip's joins repeat a vertex: they fill nothing.
        if (c.a == c.b || c.b == c.c || c.a == c.c) continue;
        if (c.a >= known || c.b >= known || c.c >= known) return {{0, indices.size()}};
        // Off the viewport a triangle fills nothing either.
        const float *wa = &window[c.a * 2], *wb = &window[c.b * 2], *wc = &window[c.c * 2];
        if (!mask.box(wa, wb, wc, boxes[t])) continue;
        const float screen = turnOf(wa[0], wa[1], wb[0], wb[1], wc[0], wc[1]);
        const float *ma = &vertices[c.a * 3], *mb = &vertices[c.b * 3], *mc = &vertices[c.c * 3];
        const float map = turnOf(ma[0], ma[2], mb[0], mb[2], mc[0], mc[2]);
        if (std::fabs(screen) < kEdgeOn || map == 0.0f) {
            kinds[t] = Kind::Both;
        } else if ((screen > 0.0f) == (map > 0.0f)) {
            kinds[t] = Kind::Agrees;
            ++agree;
        } else {
            kinds[t] = Kind::Differs;
            ++differ;
        }
    }

    const Kind fewer = differ <= agree ? Kind::Differs : Kind::Agrees;
    bool any = false;
    for (std::size_t t = 0; t < triangles; ++t) {
        if (kinds[t] == fewer || kinds[t] == Kind::Both) {
            mask.mark(boxes[t]);
            any = true;
        }
    }
    if (!any) return runs;
    mask.sum();

    // Triangles [first, last] so far, and whether a piece is open.
    std::size_t first = 0, last = 0;
    bool open = false;
    auto close = [&] {
        if (strips) {
            runs.push_back({first, last - first + 3});
        } else {
            runs.push_back({first * 3, (last - first + 1) * 3});
        }
    };
    for (std::size_t t = 0; t < triangles; ++t) {
        if (kinds[t] == Kind::None || !mask.touches(boxes[t])) continue;
        if (open && t - last <= kJoinGap) {
            last = t;
            continue;
        }
        if (open) close();
        first = strips ? t & ~std::size_t{1} : t;
        last = t;
        open = true;
    }
    if (open) close();
    return runs;
}

}  // namespace hg
