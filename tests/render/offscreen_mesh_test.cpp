// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "dem/memory_grid.h"
#include "dem/mesh.h"
#include "platform/profile_store.h"
#include "platform/show_error.h"
#include "render/draw_mesh.h"
#include "render/output/egl_offscreen_target.h"
#include "render/output/offscreen_render.h"
#include "render/output/png_writer.h"
#include "render/styles.h"
#include "support/offscreen_support.h"
#include "support/test_support.h"

namespace {

using hgtest::islandMaker;
using hgtest::makeTarget;
using hgtest::pixel;
using hgtest::Pixels;
using hgtest::Rgb;
using hgtest::Shown;

std::unique_ptr<hg::CViewSettings> meshRecord() {
    auto s = hg::createViewSettings(hg::kDrawMesh);
    s->yFactor = 1.0;
    s->meshBlock = 1.0;
    s->backColor = 0x102030;
    return s;
}

struct Census {
    int background = 0, water = 0, green = 0, red = 0;
};

Census census(const Pixels& p, int w, int h, Rgb back) {
    Census n;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = pixel(p, w, x, y);
            if (c.r == back.r && c.g == back.g && c.b == back.b) {
                ++n.background;
            } else if (c.b > c.g && c.g > c.r * 3 / 2 + 10) {
                ++n.water;  // (51, 128, 255) lit: green well above red
            } else if (c.g > c.r + 30 && c.g > c.b + 30) {
                ++n.green;
            } else if (c.r > c.g + 30 && c.r > c.b + 30) {
                ++n.red;
            }
        }
    }
    return n;
}

TEST(OffscreenMesh, DrawsColouredTerrainOnTheBackgroundAndTurns) {
    REQUIRE_TARGET(target, 320, 240);
    Shown shown;
    hg::CDrawMesh draw;
    auto s = meshRecord();
    ASSERT_EQ(draw.initialiseWith(target.get(), *s, islandMaker(80, 60)), 1)
        << (shown.texts.empty() ? "" : shown.texts[0]);
    EXPECT_TRUE(shown.texts.empty());
    EXPECT_TRUE(draw.sceneBuilt());
    EXPECT_EQ(s->numCols, 80);
    // 80 columns fit 100 lines: flat shading, one outline per cell.
    EXPECT_FALSE(s->smoothMesh);
    EXPECT_EQ(s->maxLines, 80);
    EXPECT_EQ(draw.netBlock(), 1);

    ASSERT_EQ(draw.nextFrame(), 1);
    const Pixels first = target->readPixels();
    const Rgb back{0x10, 0x20, 0x30};
    // The terrain stands in the middle, with the background round it.
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}}) {
        const Rgb c = pixel(first, 320, x, y);
        EXPECT_EQ(c.r, back.r);
        EXPECT_EQ(c.g, back.g);
        EXPECT_EQ(c.b, back.b);
    }
    const Rgb centre = pixel(first, 320, 160, 120);
    EXPECT_FALSE(centre.r == back.r && centre.g == back.g && centre.b == back.b);
    // Sea, lowland green and the red summit all show.
    const Census n = census(first, 320, 240, back);
    EXPECT_GT(n.background, 320 * 240 / 10);
    EXPECT_GT(n.water, 200);
    EXPECT_GT(n.green, 200);
    EXPECT_GT(n.red, 20);

    // The next tick turns the terrain by half a degree.
    ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_FLOAT_EQ(draw.turn(), -23.5f);
    const Pixels second = target->readPixels();
    int changed = 0;
    for (std::size_t i = 0; i < first.size(); i += 4)
        changed += first[i] != second[i] || first[i + 1] != second[i + 1];
    EXPECT_GT(changed, 320 * 240 / 100);

    // A whole turn later the picture is the same again.
    s->speed = 10.0;
    for (int t = 0; t < 36; ++t) ASSERT_EQ(draw.nextFrame(), 1);
    EXPECT_FLOAT_EQ(draw.turn(), -23.5f);
    EXPECT_EQ(target->readPixels(), second);
    EXPECT_EQ(draw.release(), 1);
}

TEST(OffscreenMesh, FineGridShadesSmoothlyWithCoarserNet) {
    REQUIRE_TARGET(target, 160, 120);
    Shown shown;
    hg::CDrawMesh draw;
    auto s = meshRecord();
    ASSERT_EQ(draw.initialiseWith(target.get(), *s, islandMaker(201, 150, 10.0)), 1);
    EXPECT_TRUE(s->smoothMesh);
    EXPECT_EQ(s->maxLines, 100);
    EXPECT_EQ(draw.netBlock(), 3);
    EXPECT_EQ(draw.palette().mid, 0x46C646u);
    draw.release();
}

TEST(OffscreenMesh, FailuresAreShownWithTheDrawCaption) {
    REQUIRE_TARGET(target, 64, 48);
    {
        // A grid with no spacing has faces of no area.
        Shown shown;
        hg::CDrawMesh draw;
        auto s = meshRecord();
        EXPECT_EQ(draw.initialiseWith(target.get(), *s, islandMaker(10, 10, 0.0)), 0);
        ASSERT_EQ(shown.texts.size(), 1u);
        EXPECT_EQ(shown.texts[0], "Error normalized.");
        EXPECT_EQ(shown.captions[0], "Hillglimmer draw");
    }
    {
        // One row is not a surface.
        Shown shown;
        hg::CDrawMesh draw;
        auto s = meshRecord();
        EXPECT_EQ(draw.initialiseWith(target.get(), *s, islandMaker(10, 1)), 0);
        ASSERT_EQ(shown.texts.size(), 1u);
        EXPECT_NE(shown.texts[0].find("2 x 2"), std::string::npos) << shown.texts[0];
    }
    {
        Shown shown;
        hg::CDrawMesh draw;
        auto s = meshRecord();
        EXPECT_EQ(
            draw.initialiseWith(target.get(), *s,
                                [](hg::TerrainBuffers&,
                                   hg::CViewSettings&) -> std::unique_ptr<hg::CMesh> { throw 42; }),
            0);
        ASSERT_EQ(shown.texts.size(), 1u);
        EXPECT_EQ(shown.texts[0], "Unknown error.");
    }
}

// A target that will not bind, or that has no area yet.
class BrokenTarget : public hg::GlTarget {
public:
    BrokenTarget(hg::GlTarget* real, bool binds, int w, int h)
        : real_(real), binds_(binds), w_(w), h_(h) {}
    bool makeCurrent() override { return binds_ && real_->makeCurrent(); }
    bool doneCurrent() override { return real_->doneCurrent(); }
    bool swapBuffers() override { return real_->swapBuffers(); }
    int width() const override { return w_; }
    int height() const override { return h_; }

private:
    hg::GlTarget* real_;
    bool binds_;
    int w_, h_;
};

TEST(OffscreenMesh, FirstOpenGLFailureIsReportedEverAfter) {
    REQUIRE_TARGET(target, 64, 48);
    Shown shown;
    hg::CDrawMesh draw;
    auto s = meshRecord();
    EXPECT_EQ(draw.initialiseWith(nullptr, *s, islandMaker(10, 10)), 0);
    BrokenTarget unbound(target.get(), false, 64, 48);
    EXPECT_EQ(draw.initialiseWith(&unbound, *s, islandMaker(10, 10)), 0);
    ASSERT_EQ(shown.texts.size(), 2u);
    EXPECT_EQ(shown.texts[0], "OpenGL wglCreateContext failed.");
    EXPECT_EQ(shown.texts[1], "OpenGL wglCreateContext failed.");
}

TEST(OffscreenMesh, ZeroSizedTargetLeavesTheSceneUnbuilt) {
    REQUIRE_TARGET(target, 64, 48);
    Shown shown;
    hg::CDrawMesh draw;
    auto s = meshRecord();
    BrokenTarget empty(target.get(), true, 0, 48);
    EXPECT_EQ(draw.initialiseWith(&empty, *s, islandMaker(10, 10)), 1);
    EXPECT_FALSE(draw.sceneBuilt());
    // Frames pass without touching the missing scene.
    EXPECT_EQ(draw.nextFrame(), 1);
    EXPECT_EQ(draw.release(), 1);
    EXPECT_TRUE(shown.texts.empty());
}

// Inflates a PNG of ours back into its RGBA rows.
Pixels decodeOurPng(const std::string& png, int& w, int& h) {
    auto be = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(png[at]) << 24 |
                                          static_cast<unsigned char>(png[at + 1]) << 16 |
                                          static_cast<unsigned char>(png[at + 2]) << 8 |
                                          static_cast<unsigned char>(png[at + 3]));
    };
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    w = static_cast<int>(be(16));
    h = static_cast<int>(be(20));
    std::string packed;
    for (std::size_t at = 8; at + 8 <= png.size();) {
        const std::uint32_t len = be(at);
        const std::string type = png.substr(at + 4, 4);
        const std::string body = png.substr(at + 8, len);
        uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(png.data() + at + 4), len + 4);
        EXPECT_EQ(crc, be(at + 8 + len)) << type;
        if (type == "IDAT") packed += body;
        at += 12 + len;
    }
    const std::size_t row = static_cast<std::size_t>(w) * 4 + 1;
    std::vector<Bytef> raw(row * static_cast<std::size_t>(h));
    uLongf rawSize = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(packed.data()),
                         packed.size()),
              Z_OK);
    Pixels out;
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(raw[y * row], 0);
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(y * row + 1),
                   raw.begin() + static_cast<std::ptrdiff_t>((y + 1) * row));
    }
    return out;
}

TEST(OffscreenRender, WritesTurningFramesAsPng) {
    std::string why;
    if (!makeTarget(8, 8, why)) GTEST_SKIP() << "no offscreen OpenGL here: " << why;
    hgtest::ScopedHome home;
    hgtest::TempDir out;
    hg::IniProfileStore store(home.path() / "Hillglimmer.ini");
    // Altitude factor position 9 (1.0), whole mesh, half a degree a tick,
    // a tilt beyond the limit that must be clamped.
    ASSERT_TRUE(store.putString("Hillglimmer", "yFactor", "9"));
    ASSERT_TRUE(store.putString("Hillglimmer", "numMesh", "0"));
    ASSERT_TRUE(store.putString("Hillglimmer", "xAngle", "-120"));
    hg::OffscreenRenderRequest request;
    request.drawType = 0;
    request.width = 96;
    request.height = 64;
    request.frames = 3;
    request.outDir = out / "frames";
    request.meshMaker = islandMaker(40, 30);
    const hg::OffscreenRenderResult result = hg::renderOffscreen(request, store);
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.files.size(), 3u);
    EXPECT_EQ(result.files[2].filename(), "frame-0002.png");
    int w = 0, h = 0;
    const Pixels a = decodeOurPng(hgtest::readFile(result.files[0]), w, h);
    EXPECT_EQ(w, 96);
    EXPECT_EQ(h, 64);
    ASSERT_EQ(a.size(), 96u * 64 * 4);
    // Black background in the corner, terrain in the middle.
    EXPECT_EQ(pixel(a, 96, 0, 0).r + pixel(a, 96, 0, 0).g + pixel(a, 96, 0, 0).b, 0);
    EXPECT_EQ(a[3], 255);  // opaque, as on a screen
    const Rgb mid = pixel(a, 96, 48, 32);
    EXPECT_GT(mid.r + mid.g + mid.b, 0);
    const Pixels b = decodeOurPng(hgtest::readFile(result.files[1]), w, h);
    EXPECT_NE(a, b);
    EXPECT_THROW(hg::encodePng(2, 2, Pixels(15)), std::invalid_argument);
}

TEST(OffscreenRender, ExplainsWhatWentWrong) {
    hgtest::ScopedHome home;
    hgtest::TempDir out;
    hg::IniProfileStore store(home.path() / "Hillglimmer.ini");
    hg::OffscreenRenderRequest request;
    request.outDir = out.path();
    request.drawType = 12;
    EXPECT_NE(hg::renderOffscreen(request, store).error.find("12"), std::string::npos);
    request.drawType = 0;
    request.width = 0;
    EXPECT_NE(hg::renderOffscreen(request, store).error.find("size"), std::string::npos);

    std::string why;
    if (!makeTarget(8, 8, why)) GTEST_SKIP() << "no offscreen OpenGL here: " << why;
    // No working file: the reader's complaint comes back with the caption.
    request.width = 32;
    request.height = 32;
    request.memPath = home.path() / "Hillglimmer.mem";
    const auto result = hg::renderOffscreen(request, store);
    EXPECT_EQ(result.error.rfind("Hillglimmer draw: ", 0), 0u) << result.error;
    EXPECT_TRUE(result.files.empty());
}

TEST(OffscreenMesh, BundledTerrain) {
    const std::filesystem::path dem =
        std::filesystem::path(HG_SOURCE_DIR) / "data" / "jacksboro.dem";
    if (!std::filesystem::exists(dem))
        GTEST_SKIP() << "the bundled terrain is not there yet: " << dem;
    REQUIRE_TARGET(target, 320, 240);
    hgtest::ScopedHome home;
    Shown shown;
    hg::CDrawMesh draw;
    // The saver's defaults: altitude factor 1.4, a quarter of the samples.
    auto s = hg::createViewSettings(hg::kDrawMesh);
    s->yFactor = 1.4;
    ASSERT_EQ(draw.initialise(target.get(), *s, dem, hg::kDemUsgs), 1)
        << (shown.texts.empty() ? "" : shown.texts[0]);
    EXPECT_GT(s->numCols, 2);
    ASSERT_EQ(draw.nextFrame(), 1);
    const Pixels p = target->readPixels();
    const Census n = census(p, 320, 240, {0, 0, 0});
    EXPECT_EQ(pixel(p, 320, 0, 0).r, 0);
    EXPECT_GT(n.background, 320 * 240 / 10);
    EXPECT_LT(n.background, 320 * 240 * 9 / 10);
    // Land from the low green to the red heights.
    EXPECT_GT(n.green + n.red, 1000);
    draw.release();
}

}  // namespace

TEST(OffscreenMesh, ResizedViewDrawsOnlyInsideTheNewViewport) {
    REQUIRE_TARGET(target, 320, 240);
    Shown shown;
    hg::CDrawMesh draw;
    auto s = meshRecord();
    ASSERT_EQ(draw.initialiseWith(target.get(), *s, islandMaker(80, 60)), 1);
    // As a preview whose window shrank to the lower-left quarter.
    draw.resizeView(160, 120);
    EXPECT_EQ(draw.viewWidth(), 160);
    ASSERT_EQ(draw.nextFrame(), 1);
    const Pixels p = target->readPixels();
    // Rows come top first: the upper half and the right half stay as cleared.
    const Census outside = census(p, 320, 120, Rgb{0x10, 0x20, 0x30});
    EXPECT_EQ(outside.background, 320 * 120);
    // The terrain now stands round the centre of the quarter.
    const Rgb c = pixel(p, 320, 80, 180);
    EXPECT_FALSE(c.r == 0x10 && c.g == 0x20 && c.b == 0x30);
    // Sizes that cannot be drawn into change nothing.
    draw.resizeView(0, 50);
    EXPECT_EQ(draw.viewWidth(), 160);
}
