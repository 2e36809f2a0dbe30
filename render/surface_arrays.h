// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/terrain_helpers.h"

namespace hg {

// The arrays of the styles drawn as one lit surface from client arrays:
// four direction-weighted normal sets blended as the terrain turns, and the
// index lists of the cells (one order, or all eight for styles drawn back
// to front). A style holds one of these when it needs them.
class SurfaceArrays {
public:
    // The four normal sets of the numCols x numRows grid in vertices (its
    // cell centres built) for the normal weight, and room for the blend.
    void buildNormalSets(const std::vector<float>& vertices, int numCols, int numRows,
                         double normalWeight);
    // normals for the turn angle in degrees.
    void blendFor(double angle);

    // Order 0 only, drawn every frame, its cells cut as shape says (Auto
    // resolved by the grid). Cells cut in two are listed as one triangle
    // strip unless strips is false.
    void buildIndices(int numCols, int numRows, CellShape shape = CellShape::CentreFan,
                      bool strips = true);
    // All eight traversal orders; the frame picks one by angle.
    void buildIndexOrders(int numCols, int numRows, CellShape shape = CellShape::CentreFan);
    void pickOrderFor(double angle);

    // The shape the index lists cut cells into. Two triangles draw no cell
    // centre, so the blend leaves the centres' normals alone then.
    CellShape cellShape() const { return shape_; }
    // True when the lists are triangle strips, false for separate triangles.
    bool drawsStrips() const { return strips_; }
    // How many leading vertices the index lists use: grid and centres, or
    // the grid alone.
    std::size_t usedVertices() const { return usedVertices_; }

    const std::vector<float>& normals() const { return normals_; }
    const std::array<std::vector<float>, 4>& normalSets() const { return normalSets_; }
    // The list the current frame draws, and its length.
    const std::vector<std::uint32_t>& drawIndices() const;
    std::size_t numIndices() const { return drawIndices().size(); }
    const std::vector<std::uint32_t>& indexOrder(int order) const;

private:
    std::vector<float> normals_;
    std::array<std::vector<float>, 4> normalSets_;
    std::array<std::vector<std::uint32_t>, 8> indexOrders_;
    int drawOrder_ = 0;
    CellShape shape_ = CellShape::CentreFan;
    bool strips_ = false;
    std::size_t usedVertices_ = SIZE_MAX;
};

}  // namespace hg
