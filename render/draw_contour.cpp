// SPDX-License-Identifier: MIT
#include "render/draw_contour.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "platform/messages.h"
#include "platform/text_number.h"
#include "render/colour_bands.h"
#include "render/contour_chains.h"
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

std::size_t countContourPieces(std::span<const float> vertices, int numCols, int numRows,
                               std::span<const double> levels) {
    std::size_t count = 0;
    for (int j = 0; j + 1 < numCols; ++j) {
        for (int i = 0; i + 1 < numRows; ++i) {
            const ContourCell cell = contourCell(vertices, numCols, i, j);
            const float m = cell.centre();
            const float rim[5] = {cell.a, cell.b, cell.c, cell.d, cell.a};
            for (int t = 0; t < 4; ++t) {
                const LevelSpan span = levelsBetween(levels, std::min({rim[t], rim[t + 1], m}),
                                                     std::max({rim[t], rim[t + 1], m}));
                if (!span.empty()) count += span.last - span.first;
            }
        }
    }
    return count;
}

double unseenBend(const Projection& view, int viewSide, double pixels) {
    // A point at eye depth z >= near, seen at (x/z, y/z) with |x/z| <= w/near
    // and |y/z| <= h/near, projects with a Jacobian of norm at most
    // sqrt(1 + (x/z)^2 + (y/z)^2) / z; scaled by W / 2w pixels per unit at
    // the near plane (2w x 2h, and h / w = H / W) an offset d, any way, moves it
    // by at most d * sqrt(W^2 / w^2 + (W^2 + H^2) / near^2) / 2 pixels,
    // largest on the widest and tallest view. An orthographic box has no
    // near plane to speak of: its "near" is huge and the slant term goes.
    // The offset itself may bring the point nearer, by d at most, which
    // magnifies it by near / (near - d) and widens its slant as much: on a
    // small view, where d is largest, that is worth keeping.
    const double w = view.right, nearZ = view.nearZ;
    if (!(w > 0.0) || !(nearZ > 0.0) || viewSide <= 0) return 0.0;
    const double side = viewSide;
    const double pixelsPerUnit =
        std::sqrt(side * side / (w * w) + 2.0 * side * side / (nearZ * nearZ)) / 2.0;
    const double flat = pixels / pixelsPerUnit;
    return flat / (1.0 + 2.0 * flat / nearZ);
}

double unseenBend(const CDraw& draw, int viewSide, double pixels) {
    const Bounds& b = draw.bounds();
    const CViewSettings& s = *draw.viewSettings();
    return unseenBend(computeProjection(b.minX, b.maxX, b.minZ, b.maxZ, s.fovY, s.distanceFactor,
                                        s.perspective, 1.0, 0.0f),
                      viewSide, pixels);
}

void traceContourLines(std::span<const float> vertices, int numCols, int numRows,
                       std::span<const double> levels, double bend, LevelLinesSink emit) {
    const LevelBuckets buckets(
        numCols, numRows, levels.size(),
        [&](const ContourCell& cell, int, int) { return fanLevels(levels, cell); }, vertices);
    std::vector<ContourSegment> pieceList;
    Polylines lines;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        pieceList.clear();
        for (const std::uint32_t c : buckets.cells(k)) {
            traceCentreFan(contourCell(vertices, numCols, buckets.row(c), buckets.column(c)),
                           levels[k], [&](const ContourSegment& seg) { pieceList.push_back(seg); });
        }
        if (pieceList.empty()) continue;
        lines.clear();
        joinPieces(pieceList, lines);
        if (bend > 0.0) straightenLines(lines, bend);
        emit(k, lines);
    }
}

double finestListedInterval(double metres, FunctionRef<bool(double)> fits) {
    for (int p = 0; p < static_cast<int>(kContourTexts.size()); ++p) {
        const double listed = contourIntervalAt(p);
        if (listed > metres && fits(listed)) return listed;
    }
    return 0.0;
}

std::string withIntervalAdvice(const std::string& sentence, double suggestion) {
    if (suggestion > 0.0)
        return formatMessage(MessageId::ChooseLargerInterval,
                             {sentence, formatShortest(suggestion)});
    return formatMessage(MessageId::NoListedIntervalFits, {sentence});
}

std::string contourBudgetMessage(double metres, std::size_t pieces, std::size_t budget,
                                 double suggestion) {
    return withIntervalAdvice(
        formatMessage(MessageId::ContourBudget,
                      {formatShortest(metres), formatInteger(static_cast<long long>(pieces)),
                       formatInteger(static_cast<long long>(budget))}),
        suggestion);
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
    // Counted from the heights before anything is traced, so a tiny
    // interval is refused at once, with a listed one that fits.
    const std::size_t pieces = countContourPieces(vertices, cols, rows, levels_);
    if (pieces > vertexBudget_) {
        const double suggestion = finestListedInterval(s.step, [&](double metres) {
            const auto levels = contourLevels(b.minY, b.maxY, sea, metres * s.yFactor, s.yFactor,
                                              belowSeaOf(s.contoursBelowSea));
            return countContourPieces(vertices, cols, rows, levels) <= vertexBudget_;
        });
        throw std::runtime_error(contourBudgetMessage(s.step, pieces, vertexBudget_, suggestion));
    }
    // Straightened for the view it is drawn in: made for the widest screen
    // instead, a frame at the common sizes drew twice the points it needs.
    compileLines(viewSide());
}

void CDrawContour::compileLines(int side) {
    const CViewSettings& s = settings();
    const Bounds& b = bounds();
    const float sea = terrain().seaLevel;
    const std::span<const float> vertices = terrain().vertices;
    vertexCount_ = 0;
    straightenedFor_ = side;
    lines_.reset();
    traceContourLines(
        vertices, numCols(), numRows(), levels_, straighten_ ? unseenBend(*this, side) : 0.0,
        [&](std::size_t k, const Polylines& lines) {
            const auto c = contourLineColour(levels_[k], s.seaColors, sea, b.minY, b.maxY);
            lines_.colour({c[0], c[1], c[2], 1.0f});
            lines_.addLines(lines, static_cast<float>(levels_[k]));
            vertexCount_ += lines.points.size();
        });
    lines_.upload();
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
    if (straighten_ && viewSide() > straightenedFor_) compileLines(viewSide());
    drawTurned([this] { drawLines(); });
    finishFrame();
}

void CDrawContour::drawLines() {
    lines_.draw();
}

void CDrawContour::releaseGl() {
    lines_.reset();
}

}  // namespace hg
