#include "render/draw_mesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace hg {

namespace {
constexpr float kPerByte = 0.003921569f;

std::array<float, 3> channels(std::uint32_t rgb) {
    return {static_cast<float>((rgb >> 16) & 255u) * kPerByte,
            static_cast<float>((rgb >> 8) & 255u) * kPerByte,
            static_cast<float>(rgb & 255u) * kPerByte};
}

std::array<float, 4> ramp(std::uint32_t from, std::uint32_t to, float t) {
    const auto a = channels(from), b = channels(to);
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t, 1.0f};
}

// Where a ramp has no height to run over (the top or bottom of the terrain
// is the pivot itself), its vertices take the ramp's start colour.
float rampPosition(float h, float from, float to) {
    const float span = to - from;
    if (span == 0.0f || !std::isfinite(span)) return 0.0f;
    return static_cast<float>((h - from) / span);
}
}  // namespace

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
    if (heights.empty()) return seaLevel;
    std::sort(heights.begin(), heights.end());
    const auto first = std::upper_bound(heights.begin(), heights.end(), seaLevel);
    if (first == heights.end()) return heights.front();
    const auto above = heights.end() - first;
    return *(first + above / 2);
}

std::array<float, 4> meshHeightColour(float h, const MeshPalette& palette, bool seaColors,
                                      float seaLevel, float minY, float midHeight, float maxY) {
    if (seaColors && h <= seaLevel) return ramp(palette.water, palette.water, 0.0f);
    if (h >= midHeight) return ramp(palette.mid, palette.high, rampPosition(h, midHeight, maxY));
    return ramp(palette.low, palette.mid, rampPosition(h, minY, midHeight));
}

std::vector<std::vector<std::pair<int, int>>> meshNetLoops(int numCols, int numRows, int k) {
    std::vector<std::vector<std::pair<int, int>>> loops;
    if (k < 1) return loops;
    for (int i0 = 0; i0 < numRows - k; i0 += k) {
        for (int j0 = 0; j0 < numCols - k; j0 += k) {
            std::vector<std::pair<int, int>> loop;
            loop.reserve(static_cast<std::size_t>(k) * 4);
            for (int t = 0; t < k; ++t) loop.emplace_back(i0 + t, j0);
            for (int t = 0; t < k; ++t) loop.emplace_back(i0 + k, j0 + t);
            for (int t = k; t >= 1; --t) loop.emplace_back(i0 + t, j0 + k);
            for (int t = k; t >= 1; --t) loop.emplace_back(i0, j0 + t);
            loops.push_back(std::move(loop));
        }
    }
    return loops;
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
    compileNet();
}

void CDrawMesh::compileSolid() {
    const GridView g = grid();
    const int cols = g.cols(), rows = g.rows();
    const std::vector<float>& vertices = terrain().vertices;
    // Each vertex is a corner of up to four quads; its normal and colour
    // are worked out once.
    std::vector<Vec3> normalAt(g.gridCount());
    std::vector<std::array<float, 4>> colourAt(g.gridCount());
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            const std::size_t v = g.gridIndex(i, j);
            normalAt[v] = g.smoothNormal(i, j);
            colourAt[v] =
                meshHeightColour(vertices[v * 3 + 1], palette_, settings().seaColors,
                                 terrain().seaLevel, bounds().minY, midHeight_, bounds().maxY);
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

void CDrawMesh::compileNet() {
    GLfloat range[2] = {1.0f, 1.0f};
    glGetFloatv(GL_LINE_WIDTH_RANGE, range);
    // Some drivers report a thinnest width of 0, which glLineWidth refuses.
    if (range[0] > 0.0f) glLineWidth(range[0]);

    const int cols = numCols();
    const std::vector<float>& vertices = terrain().vertices;
    netBlock_ = meshBlockSize(cols, settings().maxLines);
    glNewList(kNetList, GL_COMPILE);
    for (const auto& loop : meshNetLoops(cols, numRows(), netBlock_)) {
        glBegin(GL_LINE_LOOP);
        for (const auto& [i, j] : loop) {
            glVertex3fv(
                &vertices[(static_cast<std::size_t>(i) * cols + static_cast<std::size_t>(j)) * 3]);
        }
        glEnd();
    }
    glEndList();
}

void CDrawMesh::setLights() {
    const bool smooth = settings().smoothMesh;
    const GLfloat ambient[4] = {smooth ? 0.2f : 0.28f, smooth ? 0.2f : 0.28f, smooth ? 0.2f : 0.28f,
                                1.0f};
    const GLfloat diffuse[4] = {smooth ? 0.9f : 0.7f, smooth ? 0.9f : 0.7f, smooth ? 0.9f : 0.7f,
                                1.0f};
    const GLfloat specular[4] = {smooth ? 0.4f : 0.74f, smooth ? 0.4f : 0.74f,
                                 smooth ? 0.4f : 0.74f, 1.0f};
    const GLfloat back[4] = {0.36f, 0.36f, 0.36f, 1.0f};
    const GLfloat lightSpecular[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    // w = 0: a light from a direction, not a point.
    const GLfloat position[4] = {1.0f, 0.6f, 0.5f, 0.0f};

    glShadeModel(smooth ? GL_SMOOTH : GL_FLAT);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, smooth ? 28.0f : 8.0f);
    glMaterialfv(GL_BACK, GL_AMBIENT_AND_DIFFUSE, back);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
    glEnable(GL_LIGHT0);
}

void CDrawMesh::drawFrame() {
    const auto wire = channels(palette_.wire);
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
