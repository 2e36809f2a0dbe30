// SPDX-License-Identifier: MIT
// One lit 201 x 201 height field drawn in several ways at 1024 x 768, to
// see which of our choices the software renderer charges for. The packaged
// lit-height-field hack the saver is compared with draws two triangles a
// cell as row strips in immediate mode, with one light lighting front faces
// only (with the options it was compared at, a 50 x 50 grid: 50 strips of
// 100 vertices a frame, a sixteenth of our triangles; drawn here at our
// size). Our surface styles drew four triangles a cell around its centre
// from client arrays, lit on both sides, coloured through the colour
// material; on fine grids they now draw one strip of two triangles a cell.
// Each argument switches one of those differences, so the gap between the
// ways stays visible and each part of it has a number. Count instructions
// with bench/frame_count.h's callgrind switch: a busy machine blurs the clock.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "frame_count.h"
#include "render/output/egl_offscreen_target.h"

#include "render/terrain_helpers.h"

namespace {

constexpr int kSide = 201;
constexpr int kWidth = 1024;
constexpr int kHeight = 768;

enum Cells { kTwoTriangles = 0, kCentreFans = 1, kRowStrips = 2, kJoinedStrip = 3 };
enum Path { kImmediate = 0, kClientArrays = 1, kDisplayList = 2 };

struct Field {
    std::vector<float> vertices;  // grid then cell centres, x y z
    std::vector<float> normals;
    std::vector<float> colours;
};

Field makeField() {
    Field f;
    const std::size_t grid = static_cast<std::size_t>(kSide) * kSide;
    const std::size_t cells = static_cast<std::size_t>(kSide - 1) * (kSide - 1);
    f.vertices.resize((grid + cells) * 3);
    for (int r = 0; r < kSide; ++r) {
        for (int c = 0; c < kSide; ++c) {
            const double x = static_cast<double>(c) / kSide, z = static_cast<double>(r) / kSide;
            float* v = &f.vertices[(static_cast<std::size_t>(r) * kSide + c) * 3];
            v[0] = static_cast<float>(c - kSide / 2);
            v[1] = static_cast<float>(10.0 * std::sin(x * 9.0) * std::cos(z * 7.0) + 13.0 * x * z);
            v[2] = static_cast<float>(r - kSide / 2);
        }
    }
    hg::buildCellCentres(f.vertices, kSide, kSide);
    f.normals = hg::normalSet(f.vertices, kSide, kSide, 0, 1.0);
    f.colours.resize((grid + cells) * 4);
    for (std::size_t v = 0; v < grid + cells; ++v) {
        const float t = f.vertices[v * 3 + 1] / 25.0f + 0.5f;
        f.colours[v * 4] = t;
        f.colours[v * 4 + 1] = 0.8f - 0.5f * t;
        f.colours[v * 4 + 2] = 0.3f;
        f.colours[v * 4 + 3] = 1.0f;
    }
    return f;
}

// Row after row, each a strip zigzagging between two rows of the grid.
std::vector<std::uint32_t> rowStripIndices() {
    std::vector<std::uint32_t> out;
    for (std::uint32_t i = 0; i + 1 < kSide; ++i) {
        for (std::uint32_t j = 0; j < kSide; ++j) {
            out.push_back(i * kSide + j);
            out.push_back((i + 1) * kSide + j);
        }
    }
    return out;
}

// The net of the Mesh style over the surface: every third row and column
// as a line strip, the thinning of a 201-vertex grid at its 100 lines.
void drawNet(const Field& f) {
    const bool lit = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int pass = 0; pass < 2; ++pass) {
        for (int a = 0; a < kSide; a += 3) {
            glBegin(GL_LINE_STRIP);
            for (int b = 0; b < kSide; ++b) {
                const int i = pass == 0 ? a : b, j = pass == 0 ? b : a;
                glVertex3fv(&f.vertices[(static_cast<std::size_t>(i) * kSide + j) * 3]);
            }
            glEnd();
        }
    }
    if (lit) glEnable(GL_LIGHTING);
}

std::vector<std::uint32_t> twoTriangleIndices() {
    std::vector<std::uint32_t> out;
    for (std::uint32_t i = 0; i + 1 < kSide; ++i) {
        for (std::uint32_t j = 0; j + 1 < kSide; ++j) {
            const std::uint32_t a = i * kSide + j, b = a + kSide;
            for (std::uint32_t e : {a, b, b + 1, a, b + 1, a + 1}) out.push_back(e);
        }
    }
    return out;
}

void setUpView(bool twoSided, bool colourMaterial, bool lit) {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-60.0, 60.0, -45.0, 45.0, 150.0, 600.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -320.0f);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    const float ambient[] = {0.2f, 0.2f, 0.2f, 1.0f}, diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const float specular[] = {0.3f, 0.3f, 0.3f, 1.0f}, position[] = {1.0f, 0.6f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
    const float shine[] = {0.5f, 0.5f, 0.5f, 1.0f}, green[] = {0.3f, 0.7f, 0.3f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, shine);
    glMaterialf(GL_FRONT, GL_SHININESS, 28.0f);
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, green);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, twoSided ? 1.0f : 0.0f);
    if (colourMaterial) {
        glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
    }
    if (lit) glEnable(GL_LIGHTING);
}

void BM_DrawWays(benchmark::State& state) {
    const auto cells = static_cast<Cells>(state.range(0));
    const auto path = static_cast<Path>(state.range(1));
    const bool twoSided = state.range(2) != 0, colourMaterial = state.range(3) != 0;
    const bool net = state.range(4) != 0, lit = state.range(5) != 0;
    hg::EglOffscreenTarget target(kWidth, kHeight);
    target.makeCurrent();
    setUpView(twoSided, colourMaterial, lit);
    Field f = makeField();
    const std::vector<std::uint32_t> indices =
        cells == kCentreFans    ? hg::buildIndexList(kSide, kSide, 0)
        : cells == kRowStrips   ? rowStripIndices()
        : cells == kJoinedStrip ? hg::buildStripList(kSide, kSide, 0)
                                : twoTriangleIndices();
    // The normals a frame hands over anew, as the blended sets are.
    std::vector<float> frameNormals = f.normals;

    auto vertex = [&](std::uint32_t v) {
        if (colourMaterial) glColor4fv(&f.colours[v * 4]);
        glNormal3fv(&f.normals[v * 3]);
        glVertex3fv(&f.vertices[v * 3]);
    };
    auto emit = [&] {
        if (cells == kRowStrips) {
            const std::size_t row = 2 * static_cast<std::size_t>(kSide);
            for (std::size_t start = 0; start < indices.size(); start += row) {
                glBegin(GL_TRIANGLE_STRIP);
                for (std::size_t n = start; n < start + row; ++n) vertex(indices[n]);
                glEnd();
            }
            return;
        }
        glBegin(GL_TRIANGLES);
        for (const std::uint32_t v : indices) vertex(v);
        glEnd();
    };
    if (path == kDisplayList) {
        glNewList(1, GL_COMPILE);
        emit();
        glEndList();
    }
    float turn = 0.0f;
    auto frame = [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        glRotatef(-30.0f, 1.0f, 0.0f, 0.0f);
        glRotatef(turn, 0.0f, 1.0f, 0.0f);
        turn += 2.0f;
        if (path == kImmediate) {
            emit();
        } else if (path == kDisplayList) {
            glCallList(1);
        } else {
            for (std::size_t n = 0; n < frameNormals.size(); ++n) frameNormals[n] = f.normals[n];
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_NORMAL_ARRAY);
            glVertexPointer(3, GL_FLOAT, 0, f.vertices.data());
            glNormalPointer(GL_FLOAT, 0, frameNormals.data());
            if (colourMaterial) {
                glEnableClientState(GL_COLOR_ARRAY);
                glColorPointer(4, GL_FLOAT, 0, f.colours.data());
            }
            if (cells == kRowStrips) {
                const std::size_t row = 2 * static_cast<std::size_t>(kSide);
                for (std::size_t start = 0; start < indices.size(); start += row)
                    glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(row), GL_UNSIGNED_INT,
                                   indices.data() + start);
            } else {
                glDrawElements(cells == kJoinedStrip ? GL_TRIANGLE_STRIP : GL_TRIANGLES,
                               static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT,
                               indices.data());
            }
            glDisableClientState(GL_COLOR_ARRAY);
            glDisableClientState(GL_NORMAL_ARRAY);
            glDisableClientState(GL_VERTEX_ARRAY);
        }
        if (net) drawNet(f);
        glPopMatrix();
        glFinish();
    };
    // The renderer compiles its shaders for the first frame: not counted.
    frame();
    hgbench::startCounting();
    for (auto _ : state) frame();
    hgbench::stopCounting();
    state.counters["frames"] = static_cast<double>(state.iterations());
    if (path == kDisplayList) glDeleteLists(1, 1);
    static const char* const kCells[] = {"two triangles", "centre fans", "row strips",
                                         "one joined strip"};
    static const char* const kPaths[] = {"immediate", "client arrays", "display list"};
    state.SetLabel(std::string(kCells[cells]) + ", " + kPaths[path] +
                   (twoSided ? ", two-sided" : ", one-sided") +
                   (colourMaterial ? ", colour material" : "") + (net ? ", net" : "") +
                   (lit ? "" : ", unlit"));
}

// {cells, path, two-sided, colour material, net}: the hack's way first,
// then our surface styles' old way and the way they draw a fine grid now,
// and between them one difference at a time; last the Mesh style's way.
BENCHMARK(BM_DrawWays)
    ->Args({kRowStrips, kImmediate, 0, 0, 0, 1})
    ->Args({kCentreFans, kClientArrays, 1, 1, 0, 1})
    ->Args({kTwoTriangles, kClientArrays, 1, 1, 0, 1})
    ->Args({kJoinedStrip, kClientArrays, 1, 1, 0, 1})
    ->Args({kCentreFans, kClientArrays, 0, 1, 0, 1})
    ->Args({kCentreFans, kClientArrays, 1, 0, 0, 1})
    ->Args({kCentreFans, kDisplayList, 1, 1, 0, 1})
    ->Args({kTwoTriangles, kClientArrays, 0, 0, 0, 1})
    ->Args({kTwoTriangles, kDisplayList, 0, 0, 0, 1})
    ->Args({kRowStrips, kClientArrays, 0, 0, 0, 1})
    ->Args({kTwoTriangles, kDisplayList, 1, 0, 0, 1})
    ->Args({kTwoTriangles, kDisplayList, 1, 0, 1, 1})
    ->Args({kTwoTriangles, kDisplayList, 1, 0, 0, 0})
    ->Args({kRowStrips, kImmediate, 0, 0, 0, 0})
    ->ArgNames({"cells", "path", "twoSided", "colourMaterial", "net", "lit"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
