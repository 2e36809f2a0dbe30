// SPDX-License-Identifier: MIT
// What each style costs: building its scene (grid load, normals, colours,
// arrays or display lists), one frame tick, and everything from an empty
// process state to the first picture read back. All offscreen on EGL; every
// style of the style table that this build draws is measured.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "dem/memory_grid.h"
#include "frame_count.h"
#include "platform/profile_store.h"
#include "platform/show_error.h"
#include "render/draw_skeleton.h"
#include "render/output/egl_offscreen_target.h"
#include "render/styles.h"
#include "settings/settings.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

std::filesystem::path bundledTerrain() {
    return std::filesystem::path(HG_SOURCE_DIR) / "data" / "jacksboro.dem";
}

// Rolling hills on a side x side grid 30 m apart.
hg::CDraw::MeshMaker hills(int side) {
    return [side](hg::TerrainBuffers& b, hg::CViewSettings& s) {
        std::vector<float> h(static_cast<std::size_t>(side) * side);
        for (int r = 0; r < side; ++r) {
            for (int c = 0; c < side; ++c) {
                const double x = static_cast<double>(c) / side, z = static_cast<double>(r) / side;
                h[static_cast<std::size_t>(r) * side + c] = static_cast<float>(
                    300.0 * std::sin(x * 9.0) * std::cos(z * 7.0) + 400.0 * x * z);
            }
        }
        return std::make_unique<hg::CMemoryGrid>(b, s, side, side, std::move(h), 30.0, 30.0);
    };
}

// The saver's record for a style at the default list positions, with the
// chosen numMesh.
std::unique_ptr<hg::CViewSettings> record(int drawType, int numMesh) {
    auto s = hg::createViewSettings(drawType);
    s->yFactor = hg::altitudeFactorAt(hg::def::yFactor);
    s->step = hg::contourIntervalAt(hg::def::step);
    s->speed = hg::speedAt(hg::def::speed);
    s->meshBlock = hg::meshBlockFor(numMesh);
    return s;
}

// side 0 stands for the bundled terrain.
int initialise(hg::CDraw& draw, hg::GlTarget& target, hg::CViewSettings& s, int side) {
    if (side == 0) return draw.initialise(&target, s, bundledTerrain(), hg::kDemUsgs);
    return draw.initialiseWith(&target, s, hills(side));
}

bool skipUnavailable(benchmark::State& state, int side) {
    if (side == 0 && !std::filesystem::exists(bundledTerrain())) {
        state.SkipWithError("the bundled terrain is not there yet");
        return true;
    }
    return false;
}

void label(benchmark::State& state, const hg::CViewSettings& s, const std::string& more = {}) {
    state.SetLabel(std::string(hg::drawTypeName(s.drawType)) + ", " + std::to_string(s.numCols) +
                   " x " + std::to_string(s.numRows) + " vertices" + more);
}

void BM_SceneBuild(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    const int side = static_cast<int>(state.range(1)), numMesh = static_cast<int>(state.range(2));
    if (skipUnavailable(state, side)) return;
    hg::EglOffscreenTarget target(kWidth, kHeight);
    std::unique_ptr<hg::CViewSettings> s;
    for (auto _ : state) {
        auto draw = hg::createDraw(type, hg::userSettings());
        s = record(type, numMesh);
        if (!initialise(*draw, target, *s, side)) {
            state.SkipWithError("initialise failed");
            return;
        }
        draw->release();
    }
    label(state, *s);
}

// What is left of a frame with the rasterising cut away: a 1 x 1 scissor
// leaves the vertex work, a target an eighth the size each way leaves the
// vertex work and each triangle's set-up with few pixels to fill.
enum class Cut { none, scissor, small };

void frames(benchmark::State& state, int width, int height, Cut cut = Cut::none) {
    const int type = static_cast<int>(state.range(0));
    const int side = static_cast<int>(state.range(1)), numMesh = static_cast<int>(state.range(2));
    if (skipUnavailable(state, side)) return;
    const int shrink = cut == Cut::small ? 8 : 1;
    hg::EglOffscreenTarget target(width / shrink, height / shrink);
    auto draw = hg::createDraw(type, hg::userSettings());
    auto s = record(type, numMesh);
    if (!initialise(*draw, target, *s, side)) {
        state.SkipWithError("initialise failed");
        return;
    }
    // A style that leaves the waiting to the swap would otherwise have its
    // frame thrown away unseen by the next clear: an offscreen target has no
    // swap. glFinish makes every frame the whole tick.
    // The first picture too, so that it is not counted with the first frame.
    glFinish();
    if (cut == Cut::scissor) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
    hgbench::startCounting();
    for (auto _ : state) {
        benchmark::DoNotOptimize(draw->nextFrame());
        glFinish();
    }
    hgbench::stopCounting();
    glDisable(GL_SCISSOR_TEST);
    state.counters["frames"] = static_cast<double>(state.iterations());
    // How much of the surface Skeleton's glass pass still draws, in the
    // label: the CSV output wants every counter in every row.
    std::string glass;
    if (const auto* skeleton = dynamic_cast<const hg::CDrawSkeleton*>(draw.get()))
        glass = ", glass pass " +
                std::to_string(100 * skeleton->glassEntries() / skeleton->drawIndices().size()) +
                " %";
    draw->release();
    label(state, *s, glass);
}

void BM_Frame(benchmark::State& state) {
    frames(state, kWidth, kHeight);
}

// A frame at a common screen size, where filling pixels weighs more.
void BM_FrameAt1024x768(benchmark::State& state) {
    frames(state, 1024, 768);
}

// The frame at 1024 x 768 split: range(3) 0 as drawn, 1 the vertex work,
// 2 the vertex and set-up work (see Cut). Where a style stays above a
// frame's budget, this says whether fewer vertices or fewer pixels would
// bring it down.
void BM_FrameParts(benchmark::State& state) {
    frames(state, 1024, 768, static_cast<Cut>(state.range(3)));
}

void BM_StartToFirstFrame(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    const int side = static_cast<int>(state.range(1)), numMesh = static_cast<int>(state.range(2));
    if (skipUnavailable(state, side)) return;
    std::unique_ptr<hg::CViewSettings> s;
    for (auto _ : state) {
        hg::EglOffscreenTarget target(kWidth, kHeight);
        auto draw = hg::createDraw(type, hg::userSettings());
        s = record(type, numMesh);
        if (!initialise(*draw, target, *s, side)) {
            state.SkipWithError("initialise failed");
            return;
        }
        draw->nextFrame();
        benchmark::DoNotOptimize(target.readPixels());
        draw->release();
    }
    label(state, *s);
}

// {draw type, grid side (0: the bundled terrain), numMesh} for every style:
// the default quarter resolution and every sample a
// vertex (201 x 201 vertices from the 201 side).
void gridArgs(benchmark::internal::Benchmark* b) {
    for (const hg::StyleRow& row : hg::styleTable()) {
        for (int side : {201, 804, 0})
            for (int numMesh : {2, 0}) b->Args({row.drawType, side, numMesh});
    }
    b->ArgNames({"style", "side", "numMesh"});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SceneBuild)->Apply(gridArgs);
BENCHMARK(BM_Frame)->Apply(gridArgs);
BENCHMARK(BM_FrameAt1024x768)
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (const hg::StyleRow& row : hg::styleTable())
            if (row.offered) b->Args({row.drawType, 201, 0});
        b->ArgNames({"style", "side", "numMesh"});
    })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameParts)
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (const hg::StyleRow& row : hg::styleTable())
            if (row.offered)
                for (int part : {0, 1, 2}) b->Args({row.drawType, 201, 0, part});
        b->ArgNames({"style", "side", "numMesh", "part"});
    })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToFirstFrame)->Apply(gridArgs);

}  // namespace
