// SPDX-License-Identifier: MIT
#include "render/draw_mesh.h"

#include <GL/gl.h>

#include "render/contour_chains.h"
#include "render/draw_contour.h"
#include "render/terrain_helpers.h"

namespace hg {

MeshPalette meshPalette(bool smooth) {
    MeshPalette p;
    if (smooth) {
        p.low = 0x3B3BB3;
        p.mid = 0x46C646;
        p.high = 0xDD4444;
    } else {
        p.low = 0x1E1EC3;
        p.mid = 0x20DF20;
        p.high = 0xEE1E1E;
    }
    return p;
}

int meshBlockSize(int numCols, int maxLines) {
    if (maxLines < 1) maxLines = 1;
    if (numCols < 1) return 1;
    return numCols / maxLines + (numCols % maxLines != 0 ? 1 : 0);
}

float meshMidHeight(std::vector<float> heights, float seaLevel) {
    static constexpr Fraction kMiddle[] = {{1, 2}};
    return landPercentiles(std::move(heights), seaLevel, kMiddle).front();
}

ColourBands meshColourBands(const MeshPalette& palette, bool seaColors, float seaLevel, float minY,
                            float midHeight, float maxY) {
    const double limits[] = {minY, midHeight, maxY};
    const std::uint32_t colours[] = {palette.low, palette.mid, palette.high};
    return ColourBands::fromLimits(limits, colours, SeaRule{seaColors, seaLevel, palette.water});
}

std::array<float, 4> meshHeightColour(float h, const MeshPalette& palette, bool seaColors,
                                      float seaLevel, float minY, float midHeight, float maxY) {
    return meshColourBands(palette, seaColors, seaLevel, minY, midHeight, maxY).at(h);
}

LightTable meshLights(bool smooth) {
    LightTable t;
    t.smooth = smooth;
    t.twoSided = true;
    t.backAmbientDiffuse = grey(0.36f);
    t.frontSpecular = grey(smooth ? 0.4f : 0.74f);
    t.frontShininess = smooth ? 28.0f : 8.0f;
    LightSource sun;
    sun.ambient = grey(smooth ? 0.2f : 0.28f);
    sun.diffuse = grey(smooth ? 0.9f : 0.7f);
    sun.specular = grey(0.4f);
    sun.position = {1.0f, 0.6f, 0.5f, 0.0f};
    t.lights = {sun};
    // Lighting is switched on in the frame, after the unlit net.
    return t;
}

std::vector<std::vector<std::pair<int, int>>> meshNetLines(int numCols, int numRows, int k) {
    std::vector<std::vector<std::pair<int, int>>> lines;
    if (k < 1 || numCols <= k || numRows <= k) return lines;
    // Whole blocks start at 0, k, 2k, ... while a block still fits.
    const int blockRows = (numRows - k + k - 1) / k;
    const int blockCols = (numCols - k + k - 1) / k;
    const int lastRow = blockRows * k, lastCol = blockCols * k;
    for (int r = 0; r <= lastRow; r += k) {
        std::vector<std::pair<int, int>> line;
        line.reserve(static_cast<std::size_t>(lastCol) + 1);
        for (int j = 0; j <= lastCol; ++j) line.emplace_back(r, j);
        lines.push_back(std::move(line));
    }
    for (int c = 0; c <= lastCol; c += k) {
        std::vector<std::pair<int, int>> line;
        line.reserve(static_cast<std::size_t>(lastRow) + 1);
        for (int i = 0; i <= lastRow; ++i) line.emplace_back(i, c);
        lines.push_back(std::move(line));
    }
    return lines;
}

void CDrawMesh::buildScene() {
    beginScene(true);

    CViewSettings& s = settings();
    const int cols = numCols();
    s.smoothMesh = s.maxLines < cols;
    palette_ = meshPalette(s.smoothMesh);
    if (s.maxLines > cols) s.maxLines = cols;

    const std::size_t grid = static_cast<std::size_t>(cols) * static_cast<std::size_t>(numRows());
    std::vector<float> heights(grid);
    const std::vector<float>& vertices = terrain().vertices;
    for (std::size_t v = 0; v < grid; ++v) heights[v] = vertices[v * 3 + 1];
    midHeight_ = meshMidHeight(std::move(heights), terrain().seaLevel);

    compileSolid();
    compileNet(viewSide());
}

void CDrawMesh::compileSolid() {
    const GridView g = grid();
    const int cols = g.cols(), rows = g.rows();
    const std::vector<float>& vertices = terrain().vertices;
    // Each vertex is a corner of up to four quads; its normal and colour
    // are worked out once.
    std::vector<Vec3> normalAt(g.gridCount());
    std::vector<std::array<float, 4>> colourAt(g.gridCount());
    const ColourBands bands = meshColourBands(palette_, settings().seaColors, terrain().seaLevel,
                                              bounds().minY, midHeight_, bounds().maxY);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            const std::size_t v = g.gridIndex(i, j);
            normalAt[v] = g.smoothNormal(i, j);
            colourAt[v] = bands.at(vertices[v * 3 + 1]);
        }
    }
    const bool coloured = settings().heightColors;
    auto corner = [&](int i, int j) {
        const std::size_t v = g.gridIndex(i, j);
        glNormal3f(normalAt[v].x, normalAt[v].y, normalAt[v].z);
        if (coloured) glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colourAt[v].data());
        glVertex3fv(&vertices[v * 3]);
    };
    glNewList(kSolidList, GL_COMPILE);
    for (int i = 0; i < rows - 1; ++i) {
        glBegin(GL_QUADS);
        for (int j = 0; j < cols - 1; ++j) {
            corner(i, j);
            corner(i + 1, j);
            corner(i + 1, j + 1);
            corner(i, j + 1);
        }
        glEnd();
    }
    glEndList();
}

void CDrawMesh::compileNet(int side) {
    GLfloat range[2] = {1.0f, 1.0f};
    glGetFloatv(GL_LINE_WIDTH_RANGE, range);
    // Some drivers report a thinnest width of 0, which glLineWidth refuses.
    if (range[0] > 0.0f) glLineWidth(range[0]);

    const int cols = numCols();
    const std::vector<float>& vertices = terrain().vertices;
    netBlock_ = meshBlockSize(cols, settings().maxLines);
    straightenedFor_ = side;
    // A net line runs along one row or one column, so it lies in an upright
    // plane: straightened there, it leaves out the posts that bend it by
    // less than a quarter pixel, as the contour lines do. The software
    // renderer pays as much for a line piece as for a triangle.
    const double bend = straighten_ ? unseenBend(*this, side) : 0.0;
    netVertices_ = 0;
    std::vector<GroundPoint> profile;
    std::vector<std::uint32_t> keep;
    glNewList(kNetList, GL_COMPILE);
    // Each net line is one strip: a block outline of its own would draw
    // every shared edge twice, and the net is most of a frame's work.
    for (const auto& line : meshNetLines(cols, numRows(), netBlock_)) {
        auto at = [&](std::size_t n) {
            return &vertices[(static_cast<std::size_t>(line[n].first) * cols +
                              static_cast<std::size_t>(line[n].second)) *
                             3];
        };
        const bool alongRow = line.size() < 2 || line[0].first == line[1].first;
        profile.clear();
        for (std::size_t n = 0; n < line.size(); ++n)
            profile.push_back({at(n)[alongRow ? 0 : 2], at(n)[1]});
        straightenedPoints(
            profile, bend, [](std::size_t, std::size_t) { return true; }, keep);
        netVertices_ += keep.size();
        glBegin(GL_LINE_STRIP);
        for (const std::uint32_t n : keep) glVertex3fv(at(n));
        glEnd();
    }
    glEndList();
}

void CDrawMesh::setLights() {
    apply(meshLights(settings().smoothMesh));
}

void CDrawMesh::drawFrame() {
    // A window grown past what the net was straightened for has it traced
    // again, so no left-out bend ever shows.
    if (straighten_ && viewSide() > straightenedFor_) compileNet(viewSide());
    const auto wire = unpackColour(palette_.wire);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor3f(wire[0], wire[1], wire[2]);
    drawTurned([] { glCallList(kNetList); });

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    glEnable(GL_LIGHTING);
    drawTurned([] { glCallList(kSolidList); });
    finishFrame();
}

}  // namespace hg
