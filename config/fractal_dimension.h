// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hg {

class CDraw;

// The surface area of a numCols x numRows grid of vertices (x, y, z)
// measured over cells `step` vertices wide: each cell split on its
// (r, c)-(r + step, c + step) diagonal into two triangles, each measured by
// Heron's formula in double precision. The heights are taken as metres
// again, y / yFactor - yOffset in single precision, without changing the
// vertices. A triangle whose Heron product rounds below zero has no area.
double surfaceArea(const std::vector<float>& vertices, int numCols, int numRows, int step,
                   float yFactor, float yOffset);

// The roughness of a terrain as a fractal dimension: from the areas at
// steps 1 and 4, D = 2 / (1 + log4(A4 / A1)). A plane gives 2. Nothing when
// either area is zero or the result is not a number, as for grids with
// fewer than five vertices a side.
std::optional<double> fractalDimension(const std::vector<float>& vertices, int numCols, int numRows,
                                       double yFactor, double yOffset);

// Estimates the fractal dimension of the terrain a drawing object holds,
// once it has drawn it. The object must outlive the binding; its vertices
// are only read.
class CFractalDimension {
public:
    void bind(const CDraw& draw);
    std::optional<double> estimate() const;

private:
    const CDraw* draw_ = nullptr;
};

// The figure as shown: four decimals, or "-" when there is none.
std::string formatFractalDimension(std::optional<double> d);

}  // namespace hg
