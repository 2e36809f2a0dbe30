// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>

#include "render/draw.h"
#include "render/draw_mesh.h"
#include "render/styles.h"

namespace {

TEST(DrawBase, PerspectiveFramesTheWiderExtent) {
    // 2000 m wide, 1000 m deep, centred; fovY 54, distanceFactor 1.66.
    const hg::Projection p =
        hg::computeProjection(-1000.0f, 1000.0f, -500.0f, 500.0f, 54.0, 1.66, true, 2.0, 0.0f);
    EXPECT_NEAR(p.eyeZ, -3257.93, 0.01);
    EXPECT_NEAR(p.nearZ, 1597.93, 0.01);
    EXPECT_NEAR(p.farZ, 4917.93, 0.01);
    // The frustum's half width at the near plane scales with near / d.
    const double w = p.nearZ / 3257.93 * 1000.0 * 1.66;
    EXPECT_NEAR(p.right, w, 0.01);
    EXPECT_DOUBLE_EQ(p.left, -p.right);
    EXPECT_NEAR(p.top, w / 2.0, 0.01);

    // A deeper than wide grid takes near and far from z.
    const hg::Projection q =
        hg::computeProjection(-500.0f, 500.0f, -1000.0f, 1000.0f, 54.0, 1.66, true, 1.0, 0.0f);
    EXPECT_NEAR(q.eyeZ, -3257.93, 0.01);
    EXPECT_NEAR(q.nearZ, 1597.93, 0.01);
}

TEST(DrawBase, OrthographicBoxKeepsTheEye) {
    const hg::Projection p =
        hg::computeProjection(-100.0f, 100.0f, -50.0f, 50.0f, 54.0, 1.1, false, 2.0, -7.0f);
    EXPECT_FALSE(p.perspective);
    EXPECT_FLOAT_EQ(p.eyeZ, -7.0f);
    EXPECT_NEAR(p.right, 110.0, 1e-4);
    EXPECT_NEAR(p.top, 55.0, 1e-4);
}

TEST(DrawBase, TurnWrapsBelowMinus180) {
    EXPECT_NEAR(hg::turnedAngle(-179.8f, 0.5), 179.7f, 1e-4f);
    EXPECT_FLOAT_EQ(hg::turnedAngle(-22.5f, 0.5), -23.0f);
    // -180 itself is inside the range.
    EXPECT_FLOAT_EQ(hg::turnedAngle(-179.5f, 0.5), -180.0f);
    EXPECT_FLOAT_EQ(hg::turnedAngle(-175.0f, 10.0), 175.0f);
}

TEST(DrawBase, FirstOpenGLErrorSticks) {
    hg::CDrawMesh draw;
    EXPECT_STREQ(draw.errorText(), "OpenGL No Error.");
    try {
        draw.openGLError(hg::COpenGLDraw::kDeleteContext);
        FAIL();
    } catch (const hg::OpenGLError& e) {
        EXPECT_STREQ(e.what(), "OpenGL wglDeleteContext failed.");
    }
    try {
        draw.openGLError(hg::COpenGLDraw::kMakeCurrent);
        FAIL();
    } catch (const hg::OpenGLError& e) {
        EXPECT_EQ(e.code(), hg::COpenGLDraw::kDeleteContext);
        EXPECT_STREQ(e.what(), "OpenGL wglDeleteContext failed.");
    }
}

TEST(DrawBase, VersionCheckNeedsDesktopOneOne) {
    using hg::COpenGLDraw;
    EXPECT_TRUE(COpenGLDraw::versionAtLeast("4.5 (Compatibility Profile) Mesa 22.3.6", 1, 1));
    EXPECT_TRUE(COpenGLDraw::versionAtLeast("1.1.0", 1, 1));
    EXPECT_TRUE(COpenGLDraw::versionAtLeast("1.10", 1, 1));
    EXPECT_FALSE(COpenGLDraw::versionAtLeast("1.0 Microsoft", 1, 1));
    EXPECT_FALSE(COpenGLDraw::versionAtLeast("OpenGL ES 3.2 Mesa", 1, 1));
    EXPECT_FALSE(COpenGLDraw::versionAtLeast("", 1, 1));
    EXPECT_FALSE(COpenGLDraw::versionAtLeast(nullptr, 1, 1));
}

TEST(DrawBase, BoundingBoxCoversGridVerticesOnly) {
    // Four grid vertices, then a centre far outside them that must not count.
    const std::vector<float> vertices = {-3, 1, -2, 3, 5, -2, -3, 2, 4, 3, -1, 4, 100, 100, 100};
    const hg::Bounds b = hg::gridBounds(vertices, 2, 2);
    EXPECT_EQ(b.minX, -3.0f);
    EXPECT_EQ(b.maxX, 3.0f);
    EXPECT_EQ(b.minY, -1.0f);
    EXPECT_EQ(b.maxY, 5.0f);
    EXPECT_EQ(b.minZ, -2.0f);
    EXPECT_EQ(b.maxZ, 4.0f);
    // A vertex array shorter than the grid it claims is read no further.
    const hg::Bounds cut = hg::gridBounds({1, 2, 3}, 2, 2);
    EXPECT_EQ(cut.maxY, 2.0f);
}

}  // namespace
