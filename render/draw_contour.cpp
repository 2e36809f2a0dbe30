// SPDX-License-Identifier: MIT
#include "render/draw_contour.h"

#include <GL/gl.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "platform/text_number.h"
#include "render/colour_bands.h"
#include "settings/settings.h"

namespace hg {

namespace {

constexpr std::uint32_t kSeaLine = 0x68B3FF;

// The ramp's four quarters, each from its start colour to the next.
constexpr std::uint32_t kQuarterColours[5] = {0x218CBF, 0x1CC31C, 0xC8C817, 0xD1570E, 0xCCCCCC};

std::array<float, 3> rgb(const Rgba& c) {
    return {c[0], c[1], c[2]};
}

}  // namespace

std::array<float, 3> contourLineColour(double level, bool seaColors, float seaLevel, float minY,
                                       float maxY) {
    if (seaColors && level <= seaLevel) return rgb(solidColour(kSeaLine));
    const float lo = landBase(minY, seaLevel);
    const float range = maxY - lo;
    const float q = std::fabs(range * 0.25f);
    const double limits[3] = {lo + q, lo + std::fabs(range * 0.5f), lo + std::fabs(range * 0.75f)};
    int band = 0;
    while (band < 3 && level >= limits[band]) ++band;
    const double start = band == 0 ? lo : limits[band - 1];
    return rgb(blendColours(kQuarterColours[band], kQuarterColours[band + 1],
                            bandPosition(level, start, q)));
}

void traceContourGrid(std::span<const float> vertices, int numCols, int numRows,
                      std::span<const double> levels, LevelSegmentSink emit) {
    if (numCols < 2 || numRows < 2 || levels.empty()) return;
    const std::size_t needed =
        static_cast<std::size_t>(numCols) * static_cast<std::size_t>(numRows) * 3;
    if (vertices.size() < needed) throw std::invalid_argument("contour grid larger than its data");
    for (int j = 0; j < numCols - 1; ++j) {
        for (int i = 0; i < numRows - 1; ++i) {
            const ContourCell cell = contourCell(vertices, numCols, i, j);
            const LevelSpan span = fanLevels(levels, cell);
            for (std::size_t k = span.first; k < span.last; ++k) {
                traceCentreFan(cell, levels[k], [&](const ContourSegment& s) { emit(k, s); });
            }
        }
    }
}

std::size_t countContourVertices(std::span<const float> vertices, int numCols, int numRows,
                                 std::span<const double> levels) {
    std::size_t count = 0;
    traceContourGrid(vertices, numCols, numRows, levels,
                     [&](std::size_t, const ContourSegment&) { count += 2; });
    return count;
}

std::string contourBudgetMessage(double metres, std::size_t vertices, std::size_t budget) {
    // The line count falls roughly as the interval grows, so scale the
    // interval by the excess and offer the first listed one past that.
    const double wanted =
        metres * static_cast<double>(vertices) / static_cast<double>(budget > 0 ? budget : 1);
    double suggestion = contourIntervalAt(static_cast<int>(kContourTexts.size()) - 1);
    for (int p = 0; p < static_cast<int>(kContourTexts.size()); ++p) {
        const double listed = contourIntervalAt(p);
        if (listed > metres && listed >= wanted) {
            suggestion = listed;
            break;
        }
    }
    std::string text = "A contour interval of " + formatShortest(metres) + " m would draw " +
                       formatInteger(static_cast<long long>(vertices / 2)) +
                       " line pieces on this terrain, more than can be held (" +
                       formatInteger(static_cast<long long>(budget / 2)) + ").";
    if (suggestion > metres) {
        text += " Choose a larger interval, " + formatShortest(suggestion) + " m or more.";
    } else {
        text += " Choose a coarser terrain.";
    }
    return text;
}

void CDrawContour::buildScene() {
    beginScene(true);
    const CViewSettings& s = settings();
    const Bounds& b = bounds();
    const float sea = terrain().seaLevel;
    levels_ = contourLevels(b.minY, b.maxY, sea, s.step * s.yFactor, s.yFactor,
                            belowSeaOf(s.contoursBelowSea));

    const std::span<const float> vertices = terrain().vertices;
    const int cols = numCols(), rows = numRows();
    // Counting first costs one more trace but keeps a tiny interval from
    // filling memory before we could tell.
    vertexCount_ = countContourVertices(vertices, cols, rows, levels_);
    if (vertexCount_ > vertexBudget_) {
        const std::size_t count = vertexCount_;
        vertexCount_ = 0;
        throw std::runtime_error(contourBudgetMessage(s.step, count, vertexBudget_));
    }

    std::vector<std::array<float, 3>> lineColours;
    lineColours.reserve(levels_.size());
    for (double level : levels_)
        lineColours.push_back(contourLineColour(level, s.seaColors, sea, b.minY, b.maxY));

    glNewList(kLineList, GL_COMPILE);
    glBegin(GL_LINES);
    std::size_t current = std::numeric_limits<std::size_t>::max();
    traceContourGrid(vertices, cols, rows, levels_, [&](std::size_t k, const ContourSegment& seg) {
        if (k != current) {
            glColor3fv(lineColours[k].data());
            current = k;
        }
        const auto y = static_cast<float>(levels_[k]);
        glVertex3f(seg.from.x, y, seg.from.z);
        glVertex3f(seg.to.x, y, seg.to.z);
    });
    glEnd();
    glEndList();
}

void CDrawContour::setLights() {
    GLfloat range[2] = {1.0f, 1.0f};
    GLfloat granularity = 0.0f;
    glGetFloatv(GL_LINE_WIDTH_RANGE, range);
    glGetFloatv(GL_LINE_WIDTH_GRANULARITY, &granularity);
    const GLfloat width = range[0] + 6.0f * granularity;
    // A driver reporting nothing usable keeps its default width.
    if (width > 0.0f) glLineWidth(width);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDisable(GL_LIGHTING);
}

void CDrawContour::drawFrame() {
    drawTurned([] { glCallList(kLineList); });
    finishFrame();
}

}  // namespace hg
