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

void CDrawCheck::buildScene() {
    beginScene(true);
    buildCellCentres();
    const int cols = numCols(), rows = numRows();
    surface_.buildNormalSets(terrain().vertices, cols, rows, settings().normalWeight);
    surface_.buildIndices(cols, rows, cellShape(), false);

    // The record holds the block size the reader thinned by, not the list
    // position; the position is what decides the checks' size.
    thinning_ = thinningOf(settings().meshBlock);
    cornerCoords_ = checkerCoords(cols, rows, thinning_, surface_.cellShape());
    cornerPositions_ = cornerPositions(terrain().vertices, surface_.drawIndices());
    cornerNormals_.assign(cornerPositions_.size(), 0.0f);

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
    // A vertex shared by several cells shows a different part of the board
    // in each, so the coordinates belong to the triangles' corners. Sending
    // them corner by corner from arrays draws what one call per corner
    // would, at a fraction of the cost on a software renderer.
    const std::vector<float>& normals = surface_.normals();
    const std::vector<std::uint32_t>& indices = surface_.drawIndices();
    float* out = cornerNormals_.data();
    for (const std::uint32_t v : indices) {
        const float* n = &normals[static_cast<std::size_t>(v) * 3];
        *out++ = n[0];
        *out++ = n[1];
        *out++ = n[2];
    }

    // The coordinates come from the array, never generated.
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    {
        GlEnableScope state({GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY},
                            {GL_TEXTURE_2D});
        glVertexPointer(3, GL_FLOAT, 0, cornerPositions_.data());
        glNormalPointer(GL_FLOAT, 0, cornerNormals_.data());
        glTexCoordPointer(2, GL_FLOAT, 0, cornerCoords_.data());
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        texture_.bind();
        drawTurned([&] { glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(indices.size())); });
    }
    finishFrame();
}

void CDrawCheck::releaseGl() {
    texture_.reset();
}

}  // namespace hg
