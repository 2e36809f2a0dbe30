// SPDX-License-Identifier: MIT
#include "render/draw_step.h"

#include <GL/gl.h>

#include <stdexcept>

#include "platform/text_number.h"

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
                   CellBorders borders, std::vector<CSideQuad>& walls, StepFaceSink emit) {
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
    const std::size_t rows = static_cast<std::size_t>(g.numRows - 1);
    const std::size_t cells = rows * static_cast<std::size_t>(g.numCols - 1);
    const std::size_t nLevels = g.levels.size();

    // Bucket the cells by the levels they can give a piece at, keeping the
    // sweep order (column outer, row inner) within each level.
    std::vector<LevelSpan> spans(cells);
    std::vector<std::size_t> start(nLevels + 1, 0);
    for (std::size_t c = 0; c < cells; ++c) {
        const int i = static_cast<int>(c % rows), j = static_cast<int>(c / rows);
        const ContourCell cell = contourCell(g.vertices, g.numCols, i, j);
        spans[c] =
            stepSolidLevels(g.levels, cell, g.interval, cellBorders(g.numCols, g.numRows, i, j));
        if (spans[c].empty()) continue;
        ++start[spans[c].first];
        --start[spans[c].last];
    }
    // From the span ends to the number of cells at each level, then to
    // where each level's bucket begins.
    std::size_t running = 0, total = 0;
    for (std::size_t k = 0; k < nLevels; ++k) {
        running += start[k];
        start[k] = total;
        total += running;
    }
    start[nLevels] = total;
    std::vector<std::uint32_t> bucket(total);
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (std::size_t c = 0; c < cells; ++c) {
        for (std::size_t k = spans[c].first; k < spans[c].last; ++k)
            bucket[fill[k]++] = static_cast<std::uint32_t>(c);
    }
    spans = {};

    std::vector<CSideQuad> walls;
    for (std::size_t k = 0; k < nLevels; ++k) {
        walls.clear();
        for (std::size_t n = start[k]; n < start[k + 1]; ++n) {
            const std::size_t c = bucket[n];
            const int i = static_cast<int>(c % rows), j = static_cast<int>(c / rows);
            stepCellFaces(contourCell(g.vertices, g.numCols, i, j), k, g.levels[k], g.interval,
                          cellBorders(g.numCols, g.numRows, i, j), walls, emit);
        }
        smoothSideQuads(walls);
        emitSideQuads(walls, k, g.levels[k], g.interval, emit);
    }
}

std::size_t stepLineVisits(const StepGrid& g) {
    std::size_t visits = 0;
    for (int j = 0; j + 1 < g.numCols; ++j) {
        for (int i = 0; i + 1 < g.numRows; ++i) {
            const LevelSpan span =
                diagonalLevels(g.levels, contourCell(g.vertices, g.numCols, i, j));
            if (!span.empty()) visits += span.last - span.first;
        }
    }
    return visits;
}

std::size_t stepSolidVisits(const StepGrid& g) {
    std::size_t visits = 0;
    for (int j = 0; j + 1 < g.numCols; ++j) {
        for (int i = 0; i + 1 < g.numRows; ++i) {
            const LevelSpan span =
                stepSolidLevels(g.levels, contourCell(g.vertices, g.numCols, i, j), g.interval,
                                cellBorders(g.numCols, g.numRows, i, j));
            if (!span.empty()) visits += span.last - span.first;
        }
    }
    return visits;
}

std::string stepBudgetMessage(double intervalMetres, std::size_t budget) {
    return "The contour interval of " + formatShortest(intervalMetres) +
           " m gives this terrain more than " + formatInteger(static_cast<long long>(budget)) +
           " vertices to draw. Choose a larger interval, such as " +
           formatShortest(intervalMetres * 10.0) + " m.";
}

namespace {

// A display list being compiled and the primitive open in it: both are
// closed however the compile ends, so a refused interval leaves OpenGL
// outside glBegin and glNewList.
class ListWriter {
public:
    explicit ListWriter(unsigned name) { glNewList(name, GL_COMPILE); }
    ~ListWriter() {
        end();
        glEndList();
    }
    ListWriter(const ListWriter&) = delete;
    ListWriter& operator=(const ListWriter&) = delete;

    void begin(GLenum mode) {
        if (open_ && mode_ == mode) return;
        end();
        glBegin(mode);
        mode_ = mode;
        open_ = true;
    }
    void end() {
        if (open_) glEnd();
        open_ = false;
    }

private:
    GLenum mode_ = GL_POINTS;
    bool open_ = false;
};

}  // namespace

void CDrawStep::countVertices(std::size_t n) {
    vertexCount_ += n;
    if (vertexCount_ > kVertexBudget)
        throw std::runtime_error(stepBudgetMessage(settings().step, kVertexBudget));
}

// A lower bound of the output from the sweeps' visits alone, so that an
// interval far too fine is refused before the driver or the buckets have
// taken its memory; the count while compiling catches the rest.
void CDrawStep::refuseBeyondBudget(const StepGrid& g) const {
    const std::size_t cells =
        g.numCols < 2 || g.numRows < 2
            ? 0
            : static_cast<std::size_t>(g.numCols - 1) * static_cast<std::size_t>(g.numRows - 1);
    const std::size_t solid = stepSolidVisits(g);
    const std::size_t least = stepLineVisits(g) * 2 + (solid > cells ? (solid - cells) * 3 : 0);
    if (least > kVertexBudget)
        throw std::runtime_error(stepBudgetMessage(settings().step, kVertexBudget));
}

void CDrawStep::buildScene() {
    beginScene(true);
    const CViewSettings& s = settings();
    stepHeight_ = s.step * s.yFactor;
    vertexCount_ = 0;
    // The level list alone would outgrow the budget: refuse before making it.
    if (stepHeight_ > 0.0 && (bounds().maxY - bounds().minY) / stepHeight_ > kLevelBudget)
        throw std::runtime_error(stepBudgetMessage(s.step, kVertexBudget));
    levels_ = contourLevels(bounds().minY, bounds().maxY, terrain().seaLevel, stepHeight_,
                            s.yFactor, belowSeaOf(s.contoursBelowSea));

    GLfloat range[2] = {1.0f, 1.0f};
    GLfloat granularity = 0.0f;
    glGetFloatv(GL_LINE_WIDTH_RANGE, range);
    glGetFloatv(GL_LINE_WIDTH_GRANULARITY, &granularity);
    // Some drivers report a thinnest width of 0, which glLineWidth refuses.
    if (range[0] > 0.0f) glLineWidth(range[0]);

    const StepGrid g{terrain().vertices, numCols(), numRows(), levels_, stepHeight_};
    refuseBeyondBudget(g);
    compileLines(g);
    compileSolid(g);
}

void CDrawStep::compileLines(const StepGrid& g) {
    const ColourBands bands =
        stepLineBands(bounds().minY, bounds().maxY, terrain().seaLevel, settings().seaColors);
    ListWriter list(kLineList);
    list.begin(GL_LINES);
    std::size_t coloured = levels_.size();
    traceStepLines(g, [&](std::size_t k, const ContourSegment& s) {
        countVertices(2);
        if (k != coloured) {
            const Rgba c = bands.at(levels_[k]);
            glColor3f(c[0], c[1], c[2]);
            coloured = k;
        }
        const float y = static_cast<float>(levels_[k]);
        glVertex3f(s.from.x, y, s.from.z);
        glVertex3f(s.to.x, y, s.to.z);
    });
}

void CDrawStep::compileSolid(const StepGrid& g) {
    const ColourBands bands =
        stepMaterialBands(bounds().minY, bounds().maxY, terrain().seaLevel, settings().seaColors);
    ListWriter list(kSolidList);
    std::size_t tinted = levels_.size();
    traceStepSolidLevels(g, [&](const StepFace& f) {
        countVertices(static_cast<std::size_t>(f.count));
        if (f.level != tinted) {
            list.end();
            const Rgba c = bands.at(levels_[f.level]);
            glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, c.data());
            tinted = f.level;
        }
        list.begin(f.count == 3 ? GL_TRIANGLES : GL_QUADS);
        for (int k = 0; k < f.count; ++k) {
            glNormal3f(f.normals[k].x, f.normals[k].y, f.normals[k].z);
            glVertex3f(f.vertices[k].x, f.vertices[k].y, f.vertices[k].z);
        }
    });
}

void CDrawStep::setLights() {
    apply(stepLights());
}

void CDrawStep::drawFrame() {
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    drawTurned([] { glCallList(kLineList); });

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.1f, 0.1f);
    glEnable(GL_LIGHTING);
    drawTurned([] { glCallList(kSolidList); });
    finishFrame();
}

}  // namespace hg
