// SPDX-License-Identifier: MIT
#include "render/checker_texture.h"

#include <cstddef>

namespace hg {

namespace {
using Pair = std::array<float, 2>;

// The centre and the corners p0 (i, j), p1 (i + 1, j), p2 (i + 1, j + 1)
// and p3 (i, j + 1) of a cell in texture space.
struct CellCorners {
    Pair m, p0, p1, p2, p3;
};

constexpr CellCorners kWholeBoard{
    {0.5f, 0.5f}, {0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}};
constexpr CellCorners kGreyQuarter{
    {0.25f, 0.25f}, {0.0f, 0.0f}, {0.0f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.0f}};
constexpr CellCorners kWhiteQuarter{
    {0.75f, 0.25f}, {0.5f, 0.0f}, {0.5f, 0.5f}, {1.0f, 0.5f}, {1.0f, 0.0f}};

const CellCorners& cellCorners(int numMesh, int i, int j) {
    if (numMesh == 2 || numMesh == 3) return kWholeBoard;
    const int k = numMesh == 0 ? 2 : 1;
    return ((i & k) != 0) == ((j & k) != 0) ? kGreyQuarter : kWhiteQuarter;
}
}  // namespace

std::vector<std::uint8_t> checkerLevel(int size) {
    if (size < 1) return {};
    const int half = size / 2;
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(size) * size * 4);
    std::size_t at = 0;
    for (int r = 0; r < size; ++r) {
        for (int c = 0; c < size; ++c) {
            const bool grey = ((r & half) != 0) == ((c & half) != 0);
            const std::uint8_t v = grey ? 160 : 255;
            texels[at++] = v;
            texels[at++] = v;
            texels[at++] = v;
            texels[at++] = 255;
        }
    }
    return texels;
}

std::vector<float> checkerCoords(int numCols, int numRows, int numMesh, CellShape shape) {
    std::vector<float> coords;
    if (numCols < 2 || numRows < 2) return coords;
    const bool fans = shape != CellShape::TwoTriangles;
    coords.reserve(static_cast<std::size_t>(numCols - 1) * static_cast<std::size_t>(numRows - 1) *
                   (fans ? 24 : 12));
    for (int i = 0; i < numRows - 1; ++i) {
        for (int j = 0; j < numCols - 1; ++j) {
            const CellCorners& c = cellCorners(numMesh, i, j);
            if (!fans) {
                for (const Pair& p : {c.p0, c.p1, c.p3, c.p1, c.p2, c.p3})
                    coords.insert(coords.end(), p.begin(), p.end());
                continue;
            }
            for (const Pair& p :
                 {c.m, c.p0, c.p1, c.m, c.p1, c.p2, c.m, c.p2, c.p3, c.m, c.p3, c.p0})
                coords.insert(coords.end(), p.begin(), p.end());
        }
    }
    return coords;
}

}  // namespace hg
