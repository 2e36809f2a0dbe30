// SPDX-License-Identifier: MIT
#include "render/draw_iroiro.h"

#include <GL/gl.h>

#include "render/gl_enable_scope.h"

namespace hg {

void CBlendedSurface::buildSurface() {
    beginScene(true);
    buildCellCentres();
    const int cols = numCols(), rows = numRows();
    surface_.buildNormalSets(terrain().vertices, cols, rows, settings().normalWeight);
    surface_.buildIndices(cols, rows, cellShape());
}

void CBlendedSurface::drawFrame() {
    surface_.blendFor(turn());
    const auto& indices = surface_.drawIndices();
    {
        GlEnableScope arrays =
            coloured_ ? GlEnableScope({GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY})
                      : GlEnableScope({GL_VERTEX_ARRAY, GL_NORMAL_ARRAY});
        glVertexPointer(3, GL_FLOAT, 0, terrain().vertices.data());
        glNormalPointer(GL_FLOAT, 0, surface_.normals().data());
        if (coloured_) glColorPointer(4, GL_FLOAT, 0, colourArray().data());
        drawTurned([&] {
            glDrawElements(surface_.drawsStrips() ? GL_TRIANGLE_STRIP : GL_TRIANGLES,
                           static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
        });
    }
    finishFrame();
}

LightTable iroiroLights(std::uint32_t colour) {
    LightTable t;
    t.smooth = true;
    t.twoSided = true;
    t.lighting = true;
    t.frontAmbientDiffuse = solidColour(colour);
    t.backAmbientDiffuse = grey(0.36f);
    t.frontSpecular = grey(0.1f);
    t.frontShininess = 48.0f;
    LightSource sun;
    sun.ambient = grey(0.14f);
    sun.diffuse = grey(0.84f);
    sun.specular = grey(0.4f);
    sun.position = {1.0f, 0.6f, 0.5f, 0.0f};
    t.lights = {sun};
    return t;
}

void CDrawIroiro::buildScene() {
    buildSurface();
}

void CDrawIroiro::setLights() {
    apply(iroiroLights(colour_));
}

}  // namespace hg
