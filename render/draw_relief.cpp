// SPDX-License-Identifier: MIT
#include "render/draw_relief.h"
#include "render/gl_enable_scope.h"

#include <GL/gl.h>

namespace hg {

namespace {

constexpr std::uint32_t kReliefSea = 0x84BDF6;
constexpr std::array<std::uint32_t, 5> kReliefLand{0x3A89AF, 0x35CA35, 0xC8C82A, 0xD26829,
                                                   0xC0C0C0};

}  // namespace

ColourBands reliefBands(bool seaColors, float seaLevel, float minY, float maxY) {
    return ColourBands::quarters(landBase(minY, seaLevel), maxY, kReliefLand,
                                 SeaRule{seaColors, seaLevel, kReliefSea});
}

LightTable reliefLights() {
    LightTable t;
    t.smooth = true;
    t.twoSided = false;
    t.lighting = true;
    t.colourMaterial = true;
    t.frontSpecular = grey(0.6f);
    t.frontShininess = 20.0f;
    LightSource sun;
    sun.ambient = grey(0.2f);
    sun.diffuse = grey(0.7f);
    sun.specular = grey(0.1f);
    sun.position = {-1.0f, 1.0f, 1.0f, 0.0f};
    t.lights = {sun};
    return t;
}

void CDrawRelief::buildScene() {
    // Seen from straight above through a box projection no cell hides
    // another, so there is no depth buffer to clear or test.
    beginScene(false);
    buildCellCentres();
    const int cols = numCols(), rows = numRows();
    // A still map needs no blending: the one set lit from the west side.
    normals_ = normalSet(terrain().vertices, cols, rows, 0, settings().normalWeight);
    indices_ = buildIndexList(cols, rows, 0);
    bands_ = reliefBands(settings().seaColors, terrain().seaLevel, bounds().minY, bounds().maxY);
    fillColours();
}

void CDrawRelief::setLights() {
    apply(reliefLights());
}

void CDrawRelief::drawFrame() {
    {
        GlEnableScope arrays({GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY});
        glVertexPointer(3, GL_FLOAT, 0, terrain().vertices.data());
        glNormalPointer(GL_FLOAT, 0, normals_.data());
        glColorPointer(4, GL_FLOAT, 0, colours.data());
        drawTurned([&] {
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices_.size()), GL_UNSIGNED_INT,
                           indices_.data());
        });
    }
    finishFrame();
}

int CDrawRelief::nextFrame() {
    return 1;
}

void CDrawRelief::heightColour(float h, std::array<float, 4>& rgba) {
    rgba = bands_.at(h);
}

}  // namespace hg
