// SPDX-License-Identifier: MIT
#include "render/draw_skeleton.h"
#include "render/fold_cover.h"
#include "render/gl_enable_scope.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace hg {

namespace {

// The pipeline's global ambient light, which the lights table leaves as
// the context starts with it.
constexpr float kSceneAmbient = 0.2f;
constexpr double kRadiansPerDegree = 0.017453292519943295;

// The diffuse alpha the blended pass mixes by.
constexpr float kGlassAlpha = 0.5f;

std::array<float, 3> unit(double x, double y, double z) {
    const double len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0) return {0.0f, 0.0f, 0.0f};
    return {static_cast<float>(x / len), static_cast<float>(y / len), static_cast<float>(z / len)};
}

// An eye-space direction carried back onto the terrain: the inverse of the
// tilt about x and the turn about y that the frame applies.
std::array<float, 3> intoTerrain(const std::array<float, 3>& v, double tilt, double turn) {
    const double a = -tilt * kRadiansPerDegree, b = turn * kRadiansPerDegree;
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    const double x = v[0], y = ca * v[1] + sa * v[2], z = -sa * v[1] + ca * v[2];
    return {static_cast<float>(cb * x - sb * z), static_cast<float>(y),
            static_cast<float>(sb * x + cb * z)};
}

// x to the power e: by squaring when e is a small whole number, as the
// lights tables' shininesses are, which is several times quicker than pow.
float power(float x, float e) {
    if (e >= 0.0f && e <= 128.0f && e == std::floor(e)) {
        float r = 1.0f;
        for (unsigned k = static_cast<unsigned>(e); k != 0; k >>= 1, x *= x)
            if ((k & 1u) != 0) r *= x;
        return r;
    }
    return std::pow(x, e);
}

float dot(const float* n, const std::array<float, 3>& v) {
    return n[0] * v[0] + n[1] * v[1] + n[2] * v[2];
}

}  // namespace

SkeletonMaterial skeletonMaterial(float y, bool seaColors, float seaLevel, float minY, float maxY) {
    SkeletonMaterial m;
    if (seaColors && y <= seaLevel) {
        m.diffuse = {0.2f, 0.6f, 1.0f, 1.0f};
        m.specular = {1.0f, 1.0f, 1.0f, 1.0f};
        m.shininess = 24.0f;
        return m;
    }
    const float lo = landBase(minY, seaLevel);
    const float q = std::fabs((maxY - lo) * 0.33333334f);
    if (y >= lo + q) {
        // A land of no height has no thirds: every vertex then sits where
        // the lower band ends.
        const float t = bandPosition(static_cast<double>(y) - lo - q, 0.0, q);
        m.diffuse = {t, 0.4f - 0.4f * t, 1.0f, 1.0f};
        const float s = (t + 1.0f) * 0.5f;
        m.specular = {s, s, s, 1.0f};
        m.shininess = 14.0f + 10.0f * t;
    } else {
        const float t = bandPosition(static_cast<double>(y) - lo, 0.0, q);
        m.diffuse = {0.0f, 0.4f * t, 0.4f + 0.6f * t, 1.0f};
        const float s = 0.3f + 0.2f * t;
        m.specular = {s, s, s, 1.0f};
        m.shininess = 8.0f + 6.0f * t;
    }
    return m;
}

LightTable skeletonLights() {
    LightTable t;
    t.smooth = true;
    t.twoSided = false;
    t.backAmbientDiffuse = grey(0.36f);
    t.frontShininess = 9.0f;
    LightSource key;
    key.ambient = {0.0f, 0.0f, 0.0f, 1.0f};
    key.diffuse = grey(0.46f);
    key.specular = {0.4f, 0.0f, 0.8f, 1.0f};
    key.position = {1.0f, 1.0f, 1.0f, 0.0f};
    // Only a highlight: the cold gleam on the glass.
    LightSource gleam;
    gleam.ambient = {0.0f, 0.0f, 0.0f, 1.0f};
    gleam.diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
    gleam.specular = {0.0f, 0.6f, 1.0f, 1.0f};
    gleam.position = {1.0f, 0.6f, 1.0f, 0.0f};
    t.lights = {key, gleam};
    t.lighting = true;
    return t;
}

DirectionalLighting::DirectionalLighting(const LightTable& table, float tilt, float turn) {
    for (const LightSource& s : table.lights) {
        Light l;
        const auto eyeDir = unit(s.position[0], s.position[1], s.position[2]);
        // The viewer is taken as infinitely far down -z.
        const auto eyeHalf = unit(eyeDir[0], eyeDir[1], eyeDir[2] + 1.0);
        l.toLight = intoTerrain(eyeDir, tilt, turn);
        l.halfway = intoTerrain(eyeHalf, tilt, turn);
        l.ambient = s.ambient;
        l.diffuse = s.diffuse;
        l.specular = s.specular;
        lights_.push_back(l);
    }
}

void DirectionalLighting::light(const float* n, const float* diffuse, const float* specular,
                                float shininess, float* out) const {
    float c[3];
    for (int k = 0; k < 3; ++k) c[k] = kSceneAmbient * diffuse[k];
    for (const Light& l : lights_) {
        const float facing = dot(n, l.toLight);
        const float lit = std::max(facing, 0.0f);
        const float half = std::max(dot(n, l.halfway), 0.0f);
        const float gloss = facing > 0.0f ? power(half, shininess) : 0.0f;
        for (int k = 0; k < 3; ++k) {
            c[k] += l.ambient[k] * diffuse[k] + lit * l.diffuse[k] * diffuse[k] +
                    gloss * l.specular[k] * specular[k];
        }
    }
    for (int k = 0; k < 3; ++k) out[k] = std::clamp(c[k], 0.0f, 1.0f);
    out[3] = std::clamp(diffuse[3], 0.0f, 1.0f);
}

Rgba DirectionalLighting::colour(const float* n, const Rgba& diffuse, const Rgba& specular,
                                 float shininess) const {
    Rgba c{};
    light(n, diffuse.data(), specular.data(), shininess, c.data());
    return c;
}

void CDrawSkeleton::buildScene() {
    beginScene(true);
    buildCellCentres();
    const int cols = numCols(), rows = numRows();
    const std::vector<float>& vertices = terrain().vertices;
    surface_.buildNormalSets(vertices, cols, rows, settings().normalWeight);
    surface_.buildIndexOrders(cols, rows, cellShape());

    const std::size_t count = grid().vertexCount();
    diffuse_.assign(count * 4, 0.0f);
    specular_.assign(count * 4, 0.0f);
    shininess_.assign(count, 0.0f);
    for (std::size_t v = 0; v < count; ++v) {
        SkeletonMaterial m = skeletonMaterial(vertices[v * 3 + 1], settings().seaColors != 0,
                                              terrain().seaLevel, bounds().minY, bounds().maxY);
        // The alphas never change, so they are set once here rather than
        // rewritten every frame.
        m.diffuse[3] = kGlassAlpha;
        m.specular[3] = 1.0f;
        std::copy(m.diffuse.begin(), m.diffuse.end(), diffuse_.begin() + v * 4);
        std::copy(m.specular.begin(), m.specular.end(), specular_.begin() + v * 4);
        shininess_[v] = m.shininess;
    }
    lit_.assign(count * 4, 0.0f);
}

void CDrawSkeleton::setLights() {
    apply(skeletonLights());
}

void CDrawSkeleton::drawFrame() {
    surface_.blendFor(turn());
    surface_.pickOrderFor(turn());

    if (!literal_) {
        const LightTable table = skeletonLights();
        const DirectionalLighting lighting(table, tilt(), turn());
        const float shininess = table.frontShininess.value_or(0.0f);
        const float* normals = surface_.normals().data();
        // Cells cut in two leave the centres undrawn: nothing to light there.
        const std::size_t lit = std::min(shininess_.size(), surface_.usedVertices());
        for (std::size_t v = 0; v < lit; ++v) {
            lighting.light(normals + v * 3, &diffuse_[v * 4], &specular_[v * 4], shininess,
                           &lit_[v * 4]);
        }
    }

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    drawPass(Pass::Solid);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawPass(Pass::Glass);
    finishFrame();
}

void CDrawSkeleton::findOverlaps() {
    // Where a pixel holds one fragment, the glass pass blends the solid
    // colour with itself and changes nothing; only where the terrain folds
    // over itself in projection does it show the hidden slopes. Those parts
    // are found from the corners' places on screen.
    const auto& indices = surface_.drawIndices();
    glassRuns_.clear();
    std::array<float, 16> modelview{}, projection{};
    std::array<int, 4> viewport{};
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    const std::vector<float>& vertices = terrain().vertices;
    const std::size_t used = std::min(vertices.size() / 3, surface_.usedVertices());
    if (wholeGlass_ || !projectToWindow(modelview, projection, viewport, vertices, used, window_)) {
        glassRuns_.push_back({0, indices.size()});
        return;
    }
    glassRuns_ = overlappingRuns(window_, vertices, indices, surface_.drawsStrips(), viewport);
}

std::size_t CDrawSkeleton::glassEntries() const {
    std::size_t n = 0;
    for (const IndexRun& r : glassRuns_) n += r.count;
    return n;
}

void CDrawSkeleton::drawPass(Pass pass) {
    if (literal_) {
        drawLiteralPass();
        return;
    }
    // The colours already hold the lighting of this turn.
    glDisable(GL_LIGHTING);
    const auto& indices = surface_.drawIndices();
    const GLenum mode = surface_.drawsStrips() ? GL_TRIANGLE_STRIP : GL_TRIANGLES;
    GlEnableScope arrays({GL_VERTEX_ARRAY, GL_COLOR_ARRAY});
    glVertexPointer(3, GL_FLOAT, 0, terrain().vertices.data());
    glColorPointer(4, GL_FLOAT, 0, lit_.data());
    drawTurned([&] {
        if (pass == Pass::Solid) {
            glDrawElements(mode, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT,
                           indices.data());
            findOverlaps();
            return;
        }
        for (const IndexRun& r : glassRuns_) {
            glDrawElements(mode, static_cast<GLsizei>(r.count), GL_UNSIGNED_INT,
                           indices.data() + r.offset);
        }
    });
}

void CDrawSkeleton::drawLiteralPass() const {
    glEnable(GL_LIGHTING);
    const std::vector<float>& vertices = terrain().vertices;
    const std::vector<float>& normals = surface_.normals();
    const auto& indices = surface_.drawIndices();
    drawTurned([&] {
        glBegin(surface_.drawsStrips() ? GL_TRIANGLE_STRIP : GL_TRIANGLES);
        for (const std::uint32_t v : indices) {
            glNormal3fv(&normals[v * 3]);
            glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, &diffuse_[v * 4]);
            glMaterialfv(GL_FRONT, GL_SPECULAR, &specular_[v * 4]);
            glVertex3fv(&vertices[v * 3]);
        }
        glEnd();
    });
}

}  // namespace hg
