// SPDX-License-Identifier: MIT
#include <GL/gl.h>

#include "render/light_table.h"

namespace hg {

namespace {
// The fixed-function pipeline guarantees eight lights.
constexpr int kGuaranteedLights = 8;
}  // namespace

void apply(const LightTable& table) {
    glShadeModel(table.smooth ? GL_SMOOTH : GL_FLAT);

    for (int k = 0; k < kGuaranteedLights; ++k) {
        const GLenum light = GL_LIGHT0 + static_cast<GLenum>(k);
        if (static_cast<std::size_t>(k) >= table.lights.size()) {
            glDisable(light);
            continue;
        }
        const LightSource& s = table.lights[static_cast<std::size_t>(k)];
        glLightfv(light, GL_AMBIENT, s.ambient.data());
        glLightfv(light, GL_DIFFUSE, s.diffuse.data());
        glLightfv(light, GL_SPECULAR, s.specular.data());
        glLightfv(light, GL_POSITION, s.position.data());
        glEnable(light);
    }

    if (table.frontAmbientDiffuse)
        glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, table.frontAmbientDiffuse->data());
    if (table.backAmbientDiffuse)
        glMaterialfv(GL_BACK, GL_AMBIENT_AND_DIFFUSE, table.backAmbientDiffuse->data());
    if (table.frontSpecular) glMaterialfv(GL_FRONT, GL_SPECULAR, table.frontSpecular->data());
    if (table.frontShininess) glMaterialf(GL_FRONT, GL_SHININESS, *table.frontShininess);

    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, table.twoSided ? 1.0f : 0.0f);

    // Set after the fixed materials: once on, the colour material overrides
    // the front ambient and diffuse with every vertex colour.
    if (table.colourMaterial) {
        glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
    } else {
        glDisable(GL_COLOR_MATERIAL);
    }

    if (table.lighting) glEnable(GL_LIGHTING);
}

}  // namespace hg
