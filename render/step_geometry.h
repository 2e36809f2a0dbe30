// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/contour_chains.h"
#include "render/draw_step.h"

namespace hg {

// One level of the terraces as it goes to the display lists: the same
// plates, walls and outline as the cell-by-cell faces, merged. Cells whose
// two halves are whole plates at this level become rectangular blocks, the
// plates the contour cuts become strips along it; border
// walls are joined along straight runs of the border; contour walls are
// quad strips along the contour, a joint left out where the wall runs
// straight on with the same light; the outline is the strips' top edge.
struct StepLevel {
    std::size_t level = 0;
    // Plate pieces of three and of four corners, and the blocks of whole
    // cells as one triangle strip, row of cells after row, joined by
    // triangles with no area; all facing up.
    std::vector<Vec3> triangles;
    std::vector<Vec3> quads;
    std::vector<Vec3> blockStrip;
    // The plates of the triangles the level cuts, as triangle strips along
    // the contour: each point of the wall's top, then the upper end of the
    // cell edge it lies on. Strip s ends before ribbonEnds[s].
    std::vector<Vec3> ribbons;
    std::vector<std::uint32_t> ribbonEnds;
    // Four corners a wall, ordered as StepFace gives them, one normal each.
    std::vector<Vec3> borderWalls;
    std::vector<Vec3> borderNormals;
    // Quad strips: for each point along a strip its foot and its top, each
    // pair with one normal; strip s ends before wallEnds[s] (in pairs).
    // Empty where the grid asks for no contour walls.
    std::vector<Vec3> wallPoints;
    std::vector<Vec3> wallNormals;
    std::vector<std::uint32_t> wallEnds;
    // The outline, at the level's height.
    Polylines outline;

    void clear();
    // What the solid list takes, and what the outline list takes.
    std::size_t solidVertices() const;
    std::size_t outlineVertices() const { return outline.points.size(); }
};

using StepLevelSink = FunctionRef<void(const StepLevel&)>;

// The merged terraces level by level, ascending.
void traceStepLevels(const StepGrid& g, StepLevelSink emit);

// The grid's cells by the levels whose plates or walls they can hold.
LevelBuckets stepLevelBuckets(const StepGrid& g);

// About the vertices traceStepLevels will give: counted cell by cell from
// the corner heights alone, without tracing, so that an interval far too
// fine is told in a moment. The ends of strips and the cuts between blocks
// are left out, and straight runs counted joint by joint.
std::size_t estimateStepVertices(const StepGrid& g);

}  // namespace hg
