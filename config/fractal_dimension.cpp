// SPDX-License-Identifier: MIT
#include "config/fractal_dimension.h"

#include <cmath>

#include "platform/text_number.h"
#include "render/draw.h"

namespace hg {

namespace {

struct Point {
    double x, y, z;
};

double distance(const Point& a, const Point& b) {
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double heronArea(const Point& p, const Point& q, const Point& r) {
    const double a = distance(p, q), b = distance(q, r), c = distance(r, p);
    const double h = (a + b + c) / 2.0;
    // For a nearly flat triangle rounding can push the product just below
    // zero; such a triangle has no area, not a NaN.
    const double product = h * (h - a) * (h - b) * (h - c);
    return product > 0.0 ? std::sqrt(product) : 0.0;
}

}  // namespace

double surfaceArea(const std::vector<float>& vertices, int numCols, int numRows, int step,
                   float yFactor, float yOffset) {
    if (numCols < 1 || numRows < 1 || step < 1) return 0.0;
    const std::size_t needed = static_cast<std::size_t>(numCols) * numRows * 3;
    if (vertices.size() < needed) return 0.0;
    auto at = [&](int r, int c) {
        const float* v = &vertices[(static_cast<std::size_t>(r) * numCols + c) * 3];
        // The heights back in metres, rounded as single floats.
        const float y = v[1] / yFactor - yOffset;
        return Point{v[0], y, v[2]};
    };
    double area = 0.0;
    for (int r = 0; r < numRows - step; r += step) {
        for (int c = 0; c < numCols - step; c += step) {
            const Point p1 = at(r, c), p2 = at(r + step, c), p3 = at(r + step, c + step),
                        p4 = at(r, c + step);
            area += heronArea(p1, p2, p3) + heronArea(p1, p4, p3);
        }
    }
    return area;
}

std::optional<double> fractalDimension(const std::vector<float>& vertices, int numCols, int numRows,
                                       double yFactor, double yOffset) {
    const float factor = static_cast<float>(yFactor), offset = static_cast<float>(yOffset);
    const double a1 = surfaceArea(vertices, numCols, numRows, 1, factor, offset);
    const double a4 = surfaceArea(vertices, numCols, numRows, 4, factor, offset);
    if (!(a1 > 0.0) || !(a4 > 0.0) || !std::isfinite(a1) || !std::isfinite(a4)) {
        return std::nullopt;
    }
    const double d = 2.0 * std::log(4.0) / (std::log(4.0) + std::log(a4 / a1));
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

void CFractalDimension::bind(const CDraw& draw) {
    draw_ = &draw;
}

std::optional<double> CFractalDimension::estimate() const {
    if (draw_ == nullptr || draw_->viewSettings() == nullptr) return std::nullopt;
    const CViewSettings& s = *draw_->viewSettings();
    return fractalDimension(draw_->terrain().vertices, s.numCols, s.numRows, s.yFactor, s.yOffset);
}

std::string formatFractalDimension(std::optional<double> d) {
    return d ? formatFixed(*d, 4) : std::string("-");
}

}  // namespace hg
