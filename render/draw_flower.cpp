// SPDX-License-Identifier: MIT
#include "render/draw_flower.h"
#include "render/gl_enable_scope.h"

#include <GL/gl.h>

#include <algorithm>

namespace hg {

std::vector<float> flowerSmoothNormals(const GridView& grid) {
    std::vector<float> out(grid.vertexCount() * 3);
    auto put = [&](std::size_t v, const Vec3& n) {
        out[v * 3] = n.x;
        out[v * 3 + 1] = n.y;
        out[v * 3 + 2] = n.z;
    };
    for (int i = 0; i < grid.rows(); ++i)
        for (int j = 0; j < grid.cols(); ++j) put(grid.gridIndex(i, j), grid.smoothNormal(i, j));
    for (int i = 0; i + 1 < grid.rows(); ++i) {
        for (int j = 0; j + 1 < grid.cols(); ++j) {
            double sum[3] = {0.0, 0.0, 0.0};
            for (const std::size_t c : {grid.gridIndex(i, j), grid.gridIndex(i + 1, j),
                                        grid.gridIndex(i + 1, j + 1), grid.gridIndex(i, j + 1)}) {
                for (int k = 0; k < 3; ++k) sum[k] += out[c * 3 + static_cast<std::size_t>(k)];
            }
            put(grid.centreIndex(i, j), normalize(sum[0], sum[1], sum[2]));
        }
    }
    return out;
}

std::vector<double> normalSlopes(const std::vector<float>& normals) {
    std::vector<double> slopes(normals.size() / 3);
    for (std::size_t v = 0; v < slopes.size(); ++v)
        slopes[v] = directionAngles(normals[v * 3], normals[v * 3 + 1], normals[v * 3 + 2]).second;
    return slopes;
}

SlopeLimits slopeLimits(std::vector<double> slopes) {
    SlopeLimits l;
    if (slopes.empty()) return l;
    std::sort(slopes.begin(), slopes.end());
    l.minSlope = slopes.front();
    l.maxSlope = slopes.back();
    double total = 0.0;
    for (double s : slopes) total += s;

    double running = 0.0;
    std::size_t k = 0;
    // Rounding may leave the running sum a hair short of a third; the last
    // slope then stands in, as it does when no slope is left for the upper
    // limit.
    l.lowerSlope = slopes.back();
    for (; k < slopes.size(); ++k) {
        running += slopes[k];
        if (running >= total * 0.3333333333333333) {
            l.lowerSlope = slopes[k];
            ++k;
            break;
        }
    }
    l.upperSlope = slopes.back();
    for (; k < slopes.size(); ++k) {
        running += slopes[k];
        if (running >= total * 0.6666666666666666) {
            l.upperSlope = slopes[k];
            break;
        }
    }
    return l;
}

ColourBands flowerBands(const SlopeLimits& limits) {
    const double at[] = {limits.minSlope, limits.lowerSlope, limits.upperSlope, limits.maxSlope};
    const std::uint32_t colours[] = {0xA3D374, 0x63CB63, 0xC46FAF, 0xED6789};
    return ColourBands::fromLimits(at, colours);
}

std::vector<float> flowerColours(const std::vector<double>& slopes,
                                 const std::vector<float>& vertices, const ColourBands& bands,
                                 const SeaRule& sea) {
    std::vector<float> out(slopes.size() * 4);
    const Rgba water = solidColour(sea.colour);
    for (std::size_t v = 0; v < slopes.size() && v * 3 + 1 < vertices.size(); ++v) {
        const Rgba c = sea.covers(vertices[v * 3 + 1]) ? water : bands.bandColour(slopes[v]);
        std::copy(c.begin(), c.end(), out.begin() + static_cast<std::ptrdiff_t>(v * 4));
    }
    return out;
}

LightTable flowerLights() {
    LightTable t;
    t.smooth = true;
    t.twoSided = true;
    t.colourMaterial = true;
    t.lighting = true;
    t.backAmbientDiffuse = grey(0.36f);
    t.frontSpecular = grey(1.0f);
    t.frontShininess = 24.0f;
    LightSource sun;
    sun.ambient = grey(0.2f);
    sun.diffuse = grey(0.7f);
    sun.specular = grey(0.2f);
    sun.position = {1.0f, 0.7f, 1.0f, 0.0f};
    t.lights = {sun};
    return t;
}

void CDrawFlower::buildScene() {
    beginScene(true);
    buildCellCentres();
    const std::vector<float>& vertices = terrain().vertices;
    surface_.buildNormalSets(vertices, numCols(), numRows(), settings().normalWeight);
    smoothNormals_ = flowerSmoothNormals(grid());
    surface_.buildIndices(numCols(), numRows(), cellShape());
    fillColours();
}

int CDrawFlower::fillColours() {
    const std::vector<double> slopes = normalSlopes(smoothNormals_);
    limits_ = slopeLimits(slopes);
    const SeaRule sea{settings().seaColors != 0, terrain().seaLevel, kFlowerSea};
    colours = flowerColours(slopes, terrain().vertices, flowerBands(limits_), sea);
    return 1;
}

void CDrawFlower::setLights() {
    apply(flowerLights());
}

void CDrawFlower::drawFrame() {
    surface_.blendFor(turn());
    const auto& indices = surface_.drawIndices();
    GlEnableScope arrays({GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY});
    glVertexPointer(3, GL_FLOAT, 0, terrain().vertices.data());
    glNormalPointer(GL_FLOAT, 0, surface_.normals().data());
    glColorPointer(4, GL_FLOAT, 0, colours.data());
    drawTurned([&] {
        glDrawElements(surface_.drawsStrips() ? GL_TRIANGLE_STRIP : GL_TRIANGLES,
                       static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
    });
    // No glFinish: the swap or the read-back waits for the picture anyway.
}

}  // namespace hg
