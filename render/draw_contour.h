// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "render/contour_trace.h"
#include "render/draw.h"
#include "render/function_ref.h"

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

// The number of line vertices traceContourGrid gives.
std::size_t countContourVertices(std::span<const float> vertices, int numCols, int numRows,
                                 std::span<const double> levels);

// Past this many line vertices a display list would take gigabytes.
inline constexpr std::size_t kContourVertexBudget = 20'000'000;

// What the user reads when the interval `metres` would give `vertices`
// line vertices, more than `budget`: the interval and a larger one from the
// dialog's list that would fit.
std::string contourBudgetMessage(double metres, std::size_t vertices, std::size_t budget);

// Draw type 7: the contour lines alone, each at its own height and coloured
// by it, unlit.
class CDrawContour : public CDraw {
public:
    static constexpr unsigned kLineList = 1;

    // The budget is there for tests; the saver keeps the default.
    explicit CDrawContour(std::size_t vertexBudget = kContourVertexBudget)
        : vertexBudget_(vertexBudget) {}

    void buildScene() override;
    void setLights() override;
    void drawFrame() override;

    const std::vector<double>& levels() const { return levels_; }
    // How many line vertices list 1 holds.
    std::size_t vertexCount() const { return vertexCount_; }

private:
    std::size_t vertexBudget_;
    std::vector<double> levels_;
    std::size_t vertexCount_ = 0;
};

}  // namespace hg
