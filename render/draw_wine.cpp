// SPDX-License-Identifier: MIT
#include "render/draw_wine.h"
#include "render/gl_enable_scope.h"

#include <GL/gl.h>

namespace hg {

LightTable wineLights() {
    LightTable t;
    t.smooth = true;
    t.twoSided = true;
    t.lighting = true;
    t.frontAmbientDiffuse = Vec4{1.0f, 0.2f, 0.6f, 1.0f};
    t.backAmbientDiffuse = grey(0.36f);
    t.frontSpecular = Vec4{0.0f, 1.0f, 0.7f, 1.0f};
    t.frontShininess = 56.0f;
    LightSource sun;
    sun.ambient = grey(0.06f);
    sun.diffuse = grey(0.86f);
    sun.specular = grey(1.0f);
    sun.position = {1.0f, 0.6f, 0.6f, 0.0f};
    t.lights = {sun};
    return t;
}

CDrawWine::CDrawWine() : picture_(winePicture()) {}

void CDrawWine::buildScene() {
    beginScene(true);
    buildCellCentres();
    const int cols = numCols(), rows = numRows();
    surface_.buildNormalSets(terrain().vertices, cols, rows, settings().normalWeight);
    surface_.buildIndices(cols, rows, cellShape());

    texture_.create();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // The bitmap's rows are padded to four bytes, which is what this
    // alignment expects; a context shared with other code may have changed it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // The bytes go up as the bitmap stores them, blue first, while OpenGL
    // takes the first as red: red and blue trade places, so the pinks reach
    // the surface as lilacs and the wine-red material turns them back pink.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, picture_.width, picture_.height, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, picture_.pixels.data());

    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
}

void CDrawWine::setLights() {
    apply(wineLights());
}

void CDrawWine::drawFrame() {
    surface_.blendFor(turn());
    const std::vector<std::uint32_t>& indices = surface_.drawIndices();

    {
        // The generated coordinates too hold for this draw only.
        GlEnableScope state({GL_VERTEX_ARRAY, GL_NORMAL_ARRAY},
                            {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_2D});
        glVertexPointer(3, GL_FLOAT, 0, terrain().vertices.data());
        glNormalPointer(GL_FLOAT, 0, surface_.normals().data());
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        texture_.bind();
        drawTurned([&] {
            glDrawElements(surface_.drawsStrips() ? GL_TRIANGLE_STRIP : GL_TRIANGLES,
                           static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
        });
    }
    finishFrame();
}

void CDrawWine::releaseGl() {
    texture_.reset();
}

}  // namespace hg
