// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "render/contour_chains.h"
#include "render/contour_trace.h"
#include "render/draw.h"
#include "render/function_ref.h"
#include "render/vertex_batch.h"

namespace hg {

// The colour of the contour line at `level`: sea blue at or below sea
// level when seaColors is on, else a ramp in four quarters from the land
// base (sea level or the lowest height) up to the highest height. A quarter
// of no height gives its start colour.
std::array<float, 3> contourLineColour(double level, bool seaColors, float seaLevel, float minY,
                                       float maxY);

// A contour piece and the index of the level it lies at.
using LevelSegmentSink = FunctionRef<void(std::size_t, const ContourSegment&)>;

// Every contour piece of a numCols x numRows grid of vertex triples, column
// by column, row by row within a column, level by level within a cell, each
// cell through its centre fan. A cell is asked only about the levels that
// run between its lowest and highest point, so the work follows the number
// of pieces rather than levels x cells.
void traceContourGrid(std::span<const float> vertices, int numCols, int numRows,
                      std::span<const double> levels, LevelSegmentSink emit);

// The number of pieces traceContourGrid gives, counted from the heights
// alone: a fan triangle gives one at every level between its lowest and
// highest point.
std::size_t countContourPieces(std::span<const float> vertices, int numCols, int numRows,
                               std::span<const double> levels);

// A level's pieces joined into lines, level by level, for every level that
// has any. Points closer than `bend` ground units to the straight way
// between the points kept either side of them are left out (none when 0).
using LevelLinesSink = FunctionRef<void(std::size_t, const Polylines&)>;
void traceContourLines(std::span<const float> vertices, int numCols, int numRows,
                       std::span<const double> levels, double bend, LevelLinesSink emit);

// The fraction of a pixel a left-out point may move a line by.
inline constexpr double kUnseenPixels = 0.25;

// The distance that moves nothing drawn under `view` (the projection of a
// square view) by more than `pixels` (kUnseenPixels unless told) on a view
// `viewSide` pixels wide and high or smaller: lines bent by less look
// straight there.
double unseenBend(const Projection& view, int viewSide, double pixels = kUnseenPixels);
// The same for the turning view a style draws its terrain in.
double unseenBend(const CDraw& draw, int viewSide, double pixels = kUnseenPixels);

// Past this many line pieces the frame takes most of a second on a
// software renderer. Joined into strips a piece costs about one vertex.
inline constexpr std::size_t kContourVertexBudget = 4'000'000;

// The finest interval of the dialog's list coarser than `metres` for which
// fits holds, or 0 when none does.
double finestListedInterval(double metres, FunctionRef<bool(double)> fits);

// A refusal's sentence followed by the advice to choose `suggestion` m or
// more, or a coarser mesh when no listed interval fits (suggestion 0).
std::string withIntervalAdvice(const std::string& sentence, double suggestion);

// What the user reads when the interval `metres` would give `pieces` line
// pieces, more than `budget`, suggesting a listed interval (none when 0).
std::string contourBudgetMessage(double metres, std::size_t pieces, std::size_t budget,
                                 double suggestion);

// Draw type 7: the contour lines alone, each at its own height and coloured
// by it, unlit.
class CDrawContour : public CDraw {
public:
    // The budget, and drawing every traced point, are there for tests; the
    // saver keeps the defaults.
    explicit CDrawContour(std::size_t vertexBudget = kContourVertexBudget, bool straighten = true)
        : vertexBudget_(vertexBudget), straighten_(straighten) {}

    void buildScene() override;
    void setLights() override;
    void drawFrame() override;

    const std::vector<double>& levels() const { return levels_; }
    // How many line vertices the lines hold, the pieces joined into strips.
    std::size_t vertexCount() const { return vertexCount_; }

protected:
    // The lines, under the view's turn.
    virtual void drawLines();
    void releaseGl() override;

private:
    // Traces the lines, straightened for a view up to `side` pixels a side.
    void compileLines(int side);

    std::size_t vertexBudget_;
    bool straighten_;
    // The view side the lines were straightened for: a window grown past it
    // has the lines traced again, so no bend left out ever shows.
    int straightenedFor_ = 0;
    std::vector<double> levels_;
    std::size_t vertexCount_ = 0;
    VertexBatch lines_{false};
};

}  // namespace hg
