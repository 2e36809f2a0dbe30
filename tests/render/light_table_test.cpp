// SPDX-License-Identifier: MIT
#include "render/light_table.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>

#include "render/draw_mesh.h"
#include "render/output/egl_offscreen_target.h"

namespace {

std::unique_ptr<hg::EglOffscreenTarget> current(std::string& why) {
    try {
        auto t = std::make_unique<hg::EglOffscreenTarget>(8, 8);
        if (t->makeCurrent()) return t;
        why = "cannot make the context current";
    } catch (const std::exception& e) {
        why = e.what();
    }
    return nullptr;
}

hg::Vec4 lightValue(GLenum light, GLenum what) {
    hg::Vec4 v{};
    glGetLightfv(light, what, v.data());
    return v;
}

hg::Vec4 materialValue(GLenum face, GLenum what) {
    hg::Vec4 v{};
    glGetMaterialfv(face, what, v.data());
    return v;
}

// Two lights and every material, as a glassy style sets them; then a
// table with one light, as the next style in the same context would.
TEST(LightTable, ApplyReachesTheContextAndLeavesNoStrayLight) {
    std::string why;
    auto target = current(why);
    if (!target) GTEST_SKIP() << "no offscreen OpenGL here: " << why;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    hg::LightTable glass;
    glass.twoSided = true;
    glass.lighting = true;
    glass.frontAmbientDiffuse = hg::Vec4{1.0f, 0.2f, 0.6f, 1.0f};
    glass.backAmbientDiffuse = hg::grey(0.36f);
    glass.frontSpecular = hg::Vec4{0.0f, 1.0f, 0.7f, 1.0f};
    glass.frontShininess = 56.0f;
    hg::LightSource first, second;
    first.specular = {0.4f, 0.0f, 0.8f, 1.0f};
    first.position = {1.0f, 1.0f, 1.0f, 0.0f};
    second.diffuse = hg::grey(0.5f);
    second.position = {1.0f, 0.6f, 1.0f, 0.0f};
    glass.lights = {first, second};
    hg::apply(glass);

    GLint shade = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_SMOOTH);
    GLfloat twoSide = 0.0f;
    glGetFloatv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    EXPECT_EQ(twoSide, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_EQ(lightValue(GL_LIGHT0, GL_SPECULAR), first.specular);
    EXPECT_EQ(lightValue(GL_LIGHT1, GL_DIFFUSE), second.diffuse);
    EXPECT_EQ(lightValue(GL_LIGHT1, GL_POSITION), second.position);
    EXPECT_EQ(materialValue(GL_FRONT, GL_AMBIENT), *glass.frontAmbientDiffuse);
    EXPECT_EQ(materialValue(GL_BACK, GL_DIFFUSE), hg::grey(0.36f));
    EXPECT_EQ(materialValue(GL_FRONT, GL_SPECULAR), *glass.frontSpecular);
    EXPECT_EQ(materialValue(GL_FRONT, GL_SHININESS)[0], 56.0f);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));

    // The coarse Mesh table: flat, one light; lighting is left to the frame.
    glDisable(GL_LIGHTING);
    hg::LightTable coarse = hg::meshLights(false);
    coarse.colourMaterial = true;
    hg::apply(coarse);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_FLAT);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint tracked = 0;
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &tracked);
    EXPECT_EQ(tracked, GL_AMBIENT_AND_DIFFUSE);
    EXPECT_EQ(lightValue(GL_LIGHT0, GL_AMBIENT), hg::grey(0.28f));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
