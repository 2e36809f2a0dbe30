// SPDX-License-Identifier: MIT
#include "render/draw_step.h"

#include <GL/gl.h>

#include <algorithm>
#include <span>
#include <stdexcept>

#include "platform/messages.h"
#include "platform/text_number.h"
#include "render/contour_chains.h"
#include "render/draw_contour.h"
#include "render/step_geometry.h"

namespace hg {

ColourBands stepMaterialBands(float minY, float maxY, float seaLevel, bool seaColors) {
    return ColourBands::quarters(landBase(minY, seaLevel), maxY,
                                 {0x3E8EB5, 0x38BB38, 0xC8C82A, 0xD16321, 0xC0C0C0},
                                 SeaRule{seaColors, seaLevel, 0x68B3FF});
}

ColourBands stepLineBands(float minY, float maxY, float seaLevel, bool seaColors) {
    return ColourBands::quarters(landBase(minY, seaLevel), maxY,
                                 {0x5DA8CC, 0x58D258, 0xDDDD55, 0xE37E42, 0xD7D7D7},
                                 SeaRule{seaColors, seaLevel, 0x95CAFF});
}

LightTable stepLights() {
    LightTable t;
    t.smooth = true;
    t.frontSpecular = grey(1.0f);
    t.frontShininess = 12.0f;
    LightSource sun;
    sun.ambient = grey(0.24f);
    sun.diffuse = grey(0.98f);
    sun.specular = grey(0.84f);
    sun.position = {1.0f, 0.59f, 1.0f, 0.0f};
    t.lights = {sun};
    return t;
}

void traceStepLines(const StepGrid& g, StepLineSink emit) {
    for (int j = 0; j + 1 < g.numCols; ++j) {
        for (int i = 0; i + 1 < g.numRows; ++i) {
            const ContourCell cell = contourCell(g.vertices, g.numCols, i, j);
            const LevelSpan span = diagonalLevels(g.levels, cell);
            for (std::size_t k = span.first; k < span.last; ++k) {
                traceDiagonal(cell, g.levels[k], [&](const ContourSegment& s) { emit(k, s); });
            }
        }
    }
}

void stepCellFaces(const ContourCell& cell, std::size_t level, double height, double interval,
                   CellBorders borders, std::vector<CSideQuad>& walls, StepFaceSink emit,
                   std::vector<std::array<GroundPoint, 2>>* wallUps) {
    const float top = static_cast<float>(height);
    const float low = static_cast<float>(height - interval);
    traceStepSolid(cell, height, interval, borders, [&](const StepPiece& piece) {
        const GroundPoint* pts = piece.points.data();
        switch (piece.kind) {
            case StepPiece::Kind::Plate: {
                StepFace f;
                f.kind = StepFace::Kind::Plate;
                f.level = level;
                f.count = piece.count;
                f.cut = piece.cut;
                for (int k = 0; k < piece.count; ++k) {
                    f.vertices[k] = {pts[k].x, top, pts[k].z};
                    f.normals[k] = {0.0f, 1.0f, 0.0f};
                }
                emit(f);
                break;
            }
            case StepPiece::Kind::BorderWall: {
                StepFace f;
                f.kind = StepFace::Kind::BorderWall;
                f.level = level;
                f.count = 4;
                const GroundPoint a = pts[0], b = pts[1];
                f.vertices = {Vec3{b.x, low, b.z}, Vec3{b.x, top, b.z}, Vec3{a.x, top, a.z},
                              Vec3{a.x, low, a.z}};
                const Vec3 n = faceNormal(f.vertices[0], f.vertices[1], f.vertices[2]);
                f.normals = {n, n, n, n};
                emit(f);
                break;
            }
            case StepPiece::Kind::Wall: {
                // The traced wall runs so that its left hand faces the low
                // ground; the quad starts from its far end to face the same way.
                const Vec3 p1{pts[0].x, top, pts[0].z}, p2{pts[1].x, top, pts[1].z};
                const Vec3 n = faceNormal({p2.x, low, p2.z}, p2, p1);
                walls.emplace_back(n, p2, p1);
                if (wallUps) wallUps->push_back({pts[3], pts[2]});
                break;
            }
        }
    });
}

void emitSideQuads(std::span<const CSideQuad> walls, std::size_t level, double height,
                   double interval, StepFaceSink emit) {
    const float low = static_cast<float>(height - interval);
    for (const CSideQuad& w : walls) {
        StepFace f;
        f.kind = StepFace::Kind::Wall;
        f.level = level;
        f.count = 4;
        f.vertices = {Vec3{w.first.x, low, w.first.z}, w.first, w.second,
                      Vec3{w.second.x, low, w.second.z}};
        f.normals = {w.firstNormal, w.firstNormal, w.secondNormal, w.secondNormal};
        emit(f);
    }
}

void traceStepSolidLevels(const StepGrid& g, StepFaceSink emit) {
    if (g.numCols < 2 || g.numRows < 2 || g.levels.empty()) return;
    const LevelBuckets buckets = stepLevelBuckets(g);
    std::vector<CSideQuad> walls;
    for (std::size_t k = 0; k < g.levels.size(); ++k) {
        walls.clear();
        for (const std::uint32_t c : buckets.cells(k)) {
            const int i = buckets.row(c), j = buckets.column(c);
            stepCellFaces(contourCell(g.vertices, g.numCols, i, j), k, g.levels[k], g.interval,
                          cellBorders(g.numCols, g.numRows, i, j), walls, emit);
        }
        smoothSideQuads(walls);
        emitSideQuads(walls, k, g.levels[k], g.interval, emit);
    }
}

std::string stepBudgetMessage(double intervalMetres, std::size_t budget, double suggestion) {
    return withIntervalAdvice(
        formatMessage(MessageId::StepBudget, {formatShortest(intervalMetres),
                                              formatInteger(static_cast<long long>(budget))}),
        suggestion);
}

namespace {

void emitSolid(VertexBatch& batch, const StepLevel& level, std::vector<Vec3>& normals) {
    batch.add(GL_TRIANGLES, level.triangles);
    batch.add(GL_QUADS, level.quads);
    if (!level.blockStrip.empty()) batch.add(GL_TRIANGLE_STRIP, level.blockStrip);
    const std::span<const Vec3> ribbons(level.ribbons);
    std::uint32_t v = 0;
    for (const std::uint32_t end : level.ribbonEnds) {
        batch.add(GL_TRIANGLE_STRIP, ribbons.subspan(v, end - v));
        v = end;
    }
    // A wall seen from behind lies under the plate it holds up, so it shows
    // at most along that plate's very edge; culling spares the rasteriser
    // about half the walls, which at fine intervals are tiny and many.
    batch.cullFaces(true);
    const std::span<const Vec3> border(level.borderWalls);
    for (std::size_t q = 0; q < level.borderNormals.size(); ++q)
        batch.add(GL_QUADS, border.subspan(4 * q, 4), level.borderNormals[q]);
    const std::span<const Vec3> walls(level.wallPoints);
    std::size_t pair = 0;
    for (const std::uint32_t end : level.wallEnds) {
        normals.clear();
        for (std::size_t p = pair; p < end; ++p)
            normals.insert(normals.end(), 2, level.wallNormals[p]);
        batch.add(GL_QUAD_STRIP, walls.subspan(2 * pair, 2 * (end - pair)), normals);
        pair = end;
    }
    batch.cullFaces(false);
}

}  // namespace

void CDrawStep::countVertices(std::size_t n) {
    vertexCount_ += n;
    if (budgetCounted_ && vertexCount_ > vertexBudget_) throw std::runtime_error(budgetMessage());
}

std::string CDrawStep::budgetMessage() const {
    const CViewSettings& s = settings();
    const double suggestion = finestListedInterval(s.step, [&](double metres) {
        const double d = metres * s.yFactor;
        if ((bounds().maxY - bounds().minY) / d > kLevelBudget) return false;
        const auto levels = contourLevels(bounds().minY, bounds().maxY, terrain().seaLevel, d,
                                          s.yFactor, belowSeaOf(s.contoursBelowSea));
        return estimateStepVertices({terrain().vertices, numCols(), numRows(), levels, d}) <=
               vertexBudget_;
    });
    return stepBudgetMessage(s.step, vertexBudget_, suggestion);
}

void CDrawStep::buildScene() {
    beginScene(true);
    const CViewSettings& s = settings();
    stepHeight_ = s.step * s.yFactor;
    vertexCount_ = 0;
    // The level list alone would outgrow the budget: refuse before making it.
    if (stepHeight_ > 0.0 && (bounds().maxY - bounds().minY) / stepHeight_ > kLevelBudget)
        throw std::runtime_error(budgetMessage());
    levels_ = contourLevels(bounds().minY, bounds().maxY, terrain().seaLevel, stepHeight_,
                            s.yFactor, belowSeaOf(s.contoursBelowSea));

    GLfloat range[2] = {1.0f, 1.0f};
    GLfloat granularity = 0.0f;
    glGetFloatv(GL_LINE_WIDTH_RANGE, range);
    glGetFloatv(GL_LINE_WIDTH_GRANULARITY, &granularity);
    // Some drivers report a thinnest width of 0, which glLineWidth refuses.
    if (range[0] > 0.0f) glLineWidth(range[0]);

    const StepGrid g{terrain().vertices, numCols(), numRows(), levels_, stepHeight_};
    // Counted from the corners before anything is traced or compiled; the
    // count while compiling catches what the estimate missed.
    if (estimateStepVertices(g) > vertexBudget_) throw std::runtime_error(budgetMessage());
    compileFor(viewSide(), true);
}

void CDrawStep::compileFor(int side, bool counted) {
    StepGrid g{terrain().vertices, numCols(), numRows(), levels_, stepHeight_};
    // At fine intervals the terraces' edges bend in steps far below a
    // pixel, and every step costs the renderer a wall, a plate and a line
    // piece: straightened for the view, a fifth of them go at 1 m.
    if (straighten_) {
        g.bend = unseenBend(*this, side);
        // A contour wall is one interval high, and its top is where the
        // outline runs, a pixel wide. Where no wall can stand more than half
        // a pixel on the view, the line covers what the wall would show, all
        // but stray dots where the two are rasterised apart; and at fine
        // intervals the walls were a quarter of the frame's work.
        g.contourWalls = stepHeight_ > unseenBend(*this, side, kOutlineHalfWidth);
    }
    contourWalls_ = g.contourWalls;
    straightenedFor_ = side;
    vertexCount_ = 0;
    budgetCounted_ = counted;
    compileScene(g);
}

void CDrawStep::compileScene(const StepGrid& g) {
    solid_.reset();
    lines_.reset();
    const float minY = bounds().minY, maxY = bounds().maxY, sea = terrain().seaLevel;
    const ColourBands plates = stepMaterialBands(minY, maxY, sea, settings().seaColors);
    const ColourBands lines = stepLineBands(minY, maxY, sea, settings().seaColors);
    std::vector<Vec3> normals;
    traceStepLevels(g, [&](const StepLevel& level) {
        countVertices(level.solidVertices() + level.outlineVertices());
        const Polylines& outline = level.outline;
        if (!outline.ends.empty()) {
            const Rgba c = lines.at(levels_[level.level]);
            lines_.colour({c[0], c[1], c[2], 1.0f});
            lines_.addLines(outline, static_cast<float>(levels_[level.level]));
        }
        if (level.solidVertices() == 0) return;
        solid_.material(plates.at(levels_[level.level]));
        emitSolid(solid_, level, normals);
    });
    solid_.upload();
    lines_.upload();
}

void CDrawStep::setLights() {
    apply(stepLights());
}

void CDrawStep::drawFrame() {
    // A window grown past what the edges were straightened for has them
    // traced again; the interval passed the budget when it was chosen.
    if (straighten_ && viewSide() > straightenedFor_) compileFor(viewSide(), false);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    drawTurned([this] { drawLines(); });

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.1f, 0.1f);
    glEnable(GL_LIGHTING);
    // The walls face the low ground, wound as OpenGL's front faces are.
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    drawTurned([this] { drawSolid(); });
    finishFrame();
}

void CDrawStep::drawLines() {
    lines_.draw();
}

void CDrawStep::drawSolid() {
    solid_.draw();
}

void CDrawStep::releaseGl() {
    solid_.reset();
    lines_.reset();
}

}  // namespace hg
