// SPDX-License-Identifier: MIT
#include "render/surface_arrays.h"

namespace hg {

void SurfaceArrays::buildNormalSets(const std::vector<float>& vertices, int numCols, int numRows,
                                    double normalWeight) {
    for (std::size_t k = 0; k < normalSets_.size(); ++k) {
        normalSets_[k] = normalSet(vertices, numCols, numRows, static_cast<int>(k), normalWeight);
    }
    normals_.assign(normalSets_[0].size(), 0.0f);
}

void SurfaceArrays::blendFor(double angle) {
    blendNormals(normals_, normalSets_, angle, usedVertices_);
}

namespace {

std::size_t verticesUsed(int numCols, int numRows, CellShape shape) {
    if (shape != CellShape::TwoTriangles || numCols < 2 || numRows < 2) return SIZE_MAX;
    return static_cast<std::size_t>(numCols) * static_cast<std::size_t>(numRows);
}

}  // namespace

void SurfaceArrays::buildIndices(int numCols, int numRows, CellShape shape, bool strips) {
    shape_ = resolveCellShape(numCols, numRows, shape);
    usedVertices_ = verticesUsed(numCols, numRows, shape_);
    strips_ = strips && shape_ == CellShape::TwoTriangles;
    for (auto& list : indexOrders_) list.clear();
    indexOrders_[0] =
        strips_ ? buildStripList(numCols, numRows, 0) : buildIndexList(numCols, numRows, 0, shape_);
    drawOrder_ = 0;
}

void SurfaceArrays::buildIndexOrders(int numCols, int numRows, CellShape shape) {
    shape_ = resolveCellShape(numCols, numRows, shape);
    usedVertices_ = verticesUsed(numCols, numRows, shape_);
    strips_ = shape_ == CellShape::TwoTriangles;
    for (std::size_t k = 0; k < indexOrders_.size(); ++k) {
        const int order = static_cast<int>(k);
        indexOrders_[k] = strips_ ? buildStripList(numCols, numRows, order)
                                  : buildIndexList(numCols, numRows, order, shape_);
    }
    drawOrder_ = 0;
}

void SurfaceArrays::pickOrderFor(double angle) {
    const int order = indexOrderForAngle(angle);
    // With only order 0 built there is nothing else to pick.
    if (!indexOrders_[static_cast<std::size_t>(order)].empty()) drawOrder_ = order;
}

const std::vector<std::uint32_t>& SurfaceArrays::drawIndices() const {
    return indexOrders_[static_cast<std::size_t>(drawOrder_)];
}

const std::vector<std::uint32_t>& SurfaceArrays::indexOrder(int order) const {
    return indexOrders_[static_cast<std::size_t>(order & 7)];
}

}  // namespace hg
