// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "render/colour_bands.h"
#include "render/contour_trace.h"
#include "render/draw.h"
#include "render/function_ref.h"
#include "render/light_table.h"
#include "render/side_quad.h"
#include "render/vertex_batch.h"

namespace hg {

// The tints of the terraces: plates and walls, then the lighter outlines,
// each as a sea colour and a ramp over four quarters of the land.
ColourBands stepMaterialBands(float minY, float maxY, float seaLevel, bool seaColors);
ColourBands stepLineBands(float minY, float maxY, float seaLevel, bool seaColors);

// One light from the upper right, a soft highlight; lighting is switched
// on in the frame, after the unlit outlines.
LightTable stepLights();

// The grid as the terraces read it: vertex triples row-major, then the
// levels in drawing units and the interval between them.
struct StepGrid {
    std::span<const float> vertices;
    int numCols = 0;
    int numRows = 0;
    std::span<const double> levels;
    double interval = 0.0;
    // Contour points within this ground distance of a straight way may be
    // left out of walls, plates and outlines (none at 0).
    double bend = 0.0;
    // Whether the walls along the contours are wanted. Without them the
    // plates and outlines are traced as before, and a point is kept for
    // its bend alone, no longer for the light of a wall.
    bool contourWalls = true;
};

// A piece of the outline: one segment at level `level` (an index).
using StepLineSink = FunctionRef<void(std::size_t level, const ContourSegment&)>;

// The outlines piece by piece, in the order a cell-by-cell, level-by-level
// sweep gives them (column outer, row inner, levels ascending), visiting
// for each cell only the levels that cut it. The lists are built from the
// merged levels of step_geometry.h; this plain form is what they are
// checked against.
void traceStepLines(const StepGrid& g, StepLineSink emit);

// A flat piece or a wall of one cell, with the normal at each of its 3 or
// 4 vertices.
struct StepFace {
    enum class Kind { Plate, BorderWall, Wall };
    Kind kind = Kind::Plate;
    std::size_t level = 0;
    int count = 0;
    // A plate of a triangle the level cuts.
    bool cut = false;
    std::array<Vec3, 4> vertices{};
    std::array<Vec3, 4> normals{};
};

using StepFaceSink = FunctionRef<void(const StepFace&)>;

// The solid cell by cell, level by level: for each level the plates and
// border walls of the cells in sweep order, then the level's smoothed
// contour walls. Only the cells that can give a piece at a level are
// visited there, so the cost follows the output. Like traceStepLines, the
// plain form the merged levels are checked against.
void traceStepSolidLevels(const StepGrid& g, StepFaceSink emit);

// The faces of the pieces traced in one cell at one level: plates and
// border walls go to emit at once, contour walls are kept for smoothing,
// and, when asked for, the upper ends of the edges each wall's first and
// second end lie on.
void stepCellFaces(const ContourCell& cell, std::size_t level, double height, double interval,
                   CellBorders borders, std::vector<CSideQuad>& walls, StepFaceSink emit,
                   std::vector<std::array<GroundPoint, 2>>* wallUps = nullptr);

// The wall pieces of one level as faces, after smoothing.
void emitSideQuads(std::span<const CSideQuad> walls, std::size_t level, double height,
                   double interval, StepFaceSink emit);

// Draw type 8: the terrain as stacked, lit slices one contour interval
// thick, tinted by height, with lighter contour lines along their edges.
class CDrawStep : public CDraw {
public:
    // Beyond this many vertices in the two batches the interval is refused:
    // each costs the driver some 24 bytes held and 100 ns or more a frame
    // on a software renderer, so this keeps the saver near 250 MiB and a
    // frame within a few ticks.
    static constexpr std::size_t kVertexBudget = 3'000'000;
    // More levels than this are refused before they are listed.
    static constexpr double kLevelBudget = 1'000'000;
    // The outlines are drawn at the thinnest width, which rasterises a pixel
    // wide.
    static constexpr double kOutlineHalfWidth = 0.5;

    // The budget, and drawing every traced point, are there for tests; the
    // saver keeps the defaults.
    explicit CDrawStep(std::size_t vertexBudget = kVertexBudget, bool straighten = true)
        : vertexBudget_(vertexBudget), straighten_(straighten) {}

    void buildScene() override;
    void setLights() override;
    void drawFrame() override;

    // The interval in drawing units the scene was built with.
    double stepHeight() const { return stepHeight_; }
    std::size_t levelCount() const { return levels_.size(); }
    // How many vertices went into the two batches.
    std::size_t vertexCount() const { return vertexCount_; }
    // Whether the walls along the contours are drawn: not where the view
    // shows none of them taller than the outline's half width.
    bool contourWalls() const { return contourWalls_; }

protected:
    // The outlines, unlit, and the lit solid, each under the view's turn.
    virtual void drawLines();
    virtual void drawSolid();
    void releaseGl() override;

private:
    // Both batches, the terraces' edges straightened for a view up to `side`
    // pixels a side; counted against the budget or not.
    void compileFor(int side, bool counted);
    void compileScene(const StepGrid& g);
    void countVertices(std::size_t n);
    // The refusal, with the finest listed interval that would fit.
    std::string budgetMessage() const;

    std::size_t vertexBudget_;
    bool straighten_;
    bool budgetCounted_ = true;
    bool contourWalls_ = true;
    int straightenedFor_ = 0;
    double stepHeight_ = 0.0;
    std::vector<double> levels_;
    std::size_t vertexCount_ = 0;
    VertexBatch solid_{true};
    VertexBatch lines_{false};
};

// The text shown when an interval would give more vertices than the budget,
// suggesting a listed interval (none when 0).
std::string stepBudgetMessage(double intervalMetres, std::size_t budget, double suggestion);

}  // namespace hg
