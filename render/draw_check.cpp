// SPDX-License-Identifier: MIT
#include "render/draw_check.h"
#include "render/gl_enable_scope.h"

#include <GL/gl.h>

#include <cstddef>

#include "render/checker_texture.h"
#include "settings/settings.h"

namespace hg {

LightTable checkLights() {
    LightTable t;
    t.smooth = true;
    t.twoSided = true;
    t.lighting = true;
    t.frontAmbientDiffuse = Vec4{0.0f, 1.0f, 0.4f, 1.0f};
    t.backAmbientDiffuse = grey(0.36f);
    t.frontSpecular = grey(0.26f);
    t.frontShininess = 16.0f;
    LightSource sun;
    sun.ambient = grey(0.1f);
    sun.diffuse = grey(0.86f);
    sun.specular = grey(1.0f);
    sun.position = {1.0f, 0.6f, 0.5f, 0.0f};
    t.lights = {sun};
    return t;
}

int thinningOf(double meshBlock) {
    for (int position = 0; position < static_cast<int>(kMeshTexts.size()); ++position) {
        if (meshBlockFor(position) == meshBlock) return position;
    }
    return def::numMesh;
}

std::vector<float> cornerPositions(const std::vector<float>& vertices,
                                   const std::vector<std::uint32_t>& indices) {
    std::vector<float> corners;
    corners.reserve(indices.size() * 3);
    for (const std::uint32_t v : indices) {
        const std::size_t at = static_cast<std::size_t>(v) * 3;
        if (at + 3 > vertices.size()) break;
        corners.insert(corners.end(), vertices.begin() + static_cast<std::ptrdiff_t>(at),
                       vertices.begin() + static_cast<std::ptrdiff_t>(at + 3));
    }
    return corners;
}

std::vector<float> checkerVertexCoords(int numCols, int numRows, int numMesh) {
    if (numCols < 2 || numRows < 2) return {};
    // A cell's span of the board: all of it, a quarter's side, or half that.
    const float span = numMesh == 2 || numMesh == 3 ? 1.0f : numMesh == 0 ? 0.25f : 0.5f;
    const std::size_t cols = static_cast<std::size_t>(numCols);
    const std::size_t grid = cols * static_cast<std::size_t>(numRows);
    std::vector<float> coords;
    coords.reserve((grid + (cols - 1) * static_cast<std::size_t>(numRows - 1)) * 2);
    // Grid vertices row by row, then the cell centres row by row.
    for (int i = 0; i < numRows; ++i) {
        for (int j = 0; j < numCols; ++j)
            coords.insert(coords.end(),
                          {static_cast<float>(j) * span, static_cast<float>(i) * span});
    }
    for (int i = 0; i + 1 < numRows; ++i) {
        for (int j = 0; j + 1 < numCols; ++j) {
            coords.insert(coords.end(), {(static_cast<float>(j) + 0.5f) * span,
                                         (static_cast<float>(i) + 0.5f) * span});
        }
    }
    return coords;
}

void CDrawCheck::buildScene() {
    beginScene(true);
    buildCellCentres();
    const int cols = numCols(), rows = numRows();
    surface_.buildNormalSets(terrain().vertices, cols, rows, settings().normalWeight);
    surface_.buildIndices(cols, rows, cellShape(), !perCorner_);

    // The record holds the block size the reader thinned by, not the list
    // position; the position is what decides the checks' size.
    thinning_ = thinningOf(settings().meshBlock);
    if (perCorner_) {
        cornerCoords_ = checkerCoords(cols, rows, thinning_, surface_.cellShape());
        cornerPositions_ = cornerPositions(terrain().vertices, surface_.drawIndices());
        cornerNormals_.assign(cornerPositions_.size(), 0.0f);
    } else {
        vertexCoords_ = checkerVertexCoords(cols, rows, thinning_);
    }

    texture_.create();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    GLint level = 0;
    for (const int size : kCheckerLevelSizes) {
        const std::vector<std::uint8_t> texels = checkerLevel(size);
        glTexImage2D(GL_TEXTURE_2D, level++, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
    }
}

void CDrawCheck::setLights() {
    apply(checkLights());
}

void CDrawCheck::drawFrame() {
    surface_.blendFor(turn());
    const std::vector<float>& normals = surface_.normals();
    const std::vector<std::uint32_t>& indices = surface_.drawIndices();
    if (perCorner_) {
        float* out = cornerNormals_.data();
        for (const std::uint32_t v : indices) {
            const float* n = &normals[static_cast<std::size_t>(v) * 3];
            *out++ = n[0];
            *out++ = n[1];
            *out++ = n[2];
        }
    }

    // The coordinates come from the array, never generated.
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    {
        GlEnableScope state({GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY},
                            {GL_TEXTURE_2D});
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        texture_.bind();
        if (perCorner_) {
            glVertexPointer(3, GL_FLOAT, 0, cornerPositions_.data());
            glNormalPointer(GL_FLOAT, 0, cornerNormals_.data());
            glTexCoordPointer(2, GL_FLOAT, 0, cornerCoords_.data());
            drawTurned(
                [&] { glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(indices.size())); });
        } else {
            // The board repeats, so shared corners need no coordinates of
            // their own per cell, and the cells go as the other lit
            // surfaces do.
            glVertexPointer(3, GL_FLOAT, 0, terrain().vertices.data());
            glNormalPointer(GL_FLOAT, 0, normals.data());
            glTexCoordPointer(2, GL_FLOAT, 0, vertexCoords_.data());
            drawTurned([&] {
                glDrawElements(surface_.drawsStrips() ? GL_TRIANGLE_STRIP : GL_TRIANGLES,
                               static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT,
                               indices.data());
            });
        }
    }
    finishFrame();
}

void CDrawCheck::releaseGl() {
    texture_.reset();
}

}  // namespace hg
