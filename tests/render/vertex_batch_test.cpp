// SPDX-License-Identifier: MIT
#include "render/vertex_batch.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/offscreen_support.h"

namespace {

// A lit square drawn as quads, a fan of triangles that run on into one
// draw, two strips, and a culled pair of walls of which one faces away; a
// line strip in another colour over them.
void record(hg::VertexBatch& solid, hg::VertexBatch& lines) {
    const std::vector<hg::Vec3> quad = {
        {-0.9f, -0.9f, 0.0f}, {-0.1f, -0.9f, 0.0f}, {-0.1f, -0.1f, 0.0f}, {-0.9f, -0.1f, 0.0f}};
    const std::vector<hg::Vec3> triangles = {{0.1f, -0.9f, 0.0f}, {0.9f, -0.9f, 0.0f},
                                             {0.5f, -0.5f, 0.0f}, {0.1f, -0.4f, 0.0f},
                                             {0.5f, -0.5f, 0.0f}, {0.5f, -0.1f, 0.0f}};
    const std::vector<hg::Vec3> strip = {
        {-0.9f, 0.1f, 0.0f}, {-0.9f, 0.4f, 0.0f}, {-0.5f, 0.1f, 0.0f}, {-0.5f, 0.5f, 0.0f}};
    const std::vector<hg::Vec3> walls = {{0.1f, 0.1f, 0.0f}, {0.4f, 0.1f, 0.0f}, {0.4f, 0.4f, 0.0f},
                                         {0.1f, 0.4f, 0.0f}, {0.5f, 0.5f, 0.0f}, {0.5f, 0.9f, 0.0f},
                                         {0.9f, 0.9f, 0.0f}, {0.9f, 0.5f, 0.0f}};
    const std::vector<hg::Vec3> tilted(8, hg::Vec3{0.3f, 0.2f, 0.93f});
    solid.material({0.8f, 0.3f, 0.2f, 1.0f});
    solid.add(GL_QUADS, quad, hg::Vec3{0.0f, 0.0f, 1.0f});
    solid.add(GL_TRIANGLES, std::span(triangles).subspan(0, 3));
    solid.add(GL_TRIANGLES, std::span(triangles).subspan(3, 3));
    solid.material({0.2f, 0.7f, 0.3f, 1.0f});
    solid.add(GL_TRIANGLE_STRIP, strip);
    solid.add(GL_TRIANGLE_STRIP, std::span(strip).subspan(1, 3), hg::Vec3{0.0f, 0.0f, 1.0f});
    solid.cullFaces(true);
    solid.add(GL_QUADS, walls, tilted);
    solid.cullFaces(false);
    lines.colour({1.0f, 1.0f, 0.5f, 1.0f});
    lines.add(GL_LINE_STRIP, std::span(walls).subspan(0, 4));
}

TEST(VertexBatch, ClientArraysDrawWhatTheBufferDraws) {
    constexpr int kSide = 96;
    REQUIRE_TARGET(target, kSide, kSide);
    target->makeCurrent();
    glEnable(GL_LIGHT0);
    std::vector<hgtest::Pixels> pictures;
    for (bool buffer : {true, false}) {
        hg::VertexBatch solid(true, buffer), lines(false, buffer);
        record(solid, lines);
        solid.upload();
        lines.upload();
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_LIGHTING);
        solid.draw();
        glDisable(GL_LIGHTING);
        lines.draw();
        glFinish();
        pictures.push_back(target->readPixels());
        solid.reset();
        lines.reset();
    }
    // Drawn, culled (rows read top first), and the same both ways.
    EXPECT_GT(hgtest::changedPixels(pictures[0], hgtest::Pixels(pictures[0].size())), kSide * 8);
    EXPECT_EQ(hgtest::pixel(pictures[0], kSide, kSide * 17 / 20, kSide * 3 / 20),
              (hgtest::Rgb{0, 0, 0}))
        << "the wall facing away was drawn";
    EXPECT_EQ(hgtest::changedPixels(pictures[0], pictures[1]), 0);
}

}  // namespace
