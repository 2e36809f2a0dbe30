// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/terrain_helpers.h"

namespace hg {

// Sizes of the checker's texture levels, from the full texture down to one
// texel.
inline constexpr std::array<int, 7> kCheckerLevelSizes = {64, 32, 16, 8, 4, 2, 1};

// One level of the checker, size x size RGBA texels row by row: a 2 x 2
// board of grey and white quarters, grey on the diagonal; the 1 x 1 level
// is grey.
std::vector<std::uint8_t> checkerLevel(int size);

// Texture coordinates (s, t) for the twelve index entries of every cell
// (rows outer, columns inner, the index order m, p0, p1, m, p1, p2, m, p2,
// p3, m, p3, p0): 24 floats a cell. The grid thinning numMesh decides the
// checks' size: 2 or 3 puts the whole board on every cell; 0 gives checks of
// 2 x 2 cells; any other value one cell a check. Cells cut in two triangles
// take the six entries p0, p1, p3, p1, p2, p3 (12 floats a cell): the
// coordinates are affine across a cell, so the centre shows the same part
// of the board either way.
std::vector<float> checkerCoords(int numCols, int numRows, int numMesh,
                                 CellShape shape = CellShape::CentreFan);

}  // namespace hg
