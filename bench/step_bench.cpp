// SPDX-License-Identifier: MIT
// What the terraces cost as the contour interval shrinks: the scene build
// and the vertices it puts into the display lists, one frame, and the solid's
// sweep itself, bucketed by level against every cell at every level with the
// walls smoothed pair by pair. On the bundled terrain, every sample a vertex.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "render/draw_step.h"
#include "render/output/egl_offscreen_target.h"
#include "render/styles.h"
#include "settings/settings.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

std::filesystem::path terrainFile() {
    return std::filesystem::path(HG_SOURCE_DIR) / "data" / "jacksboro.dem";
}

// The interval arrives in decimetres: benchmark arguments are integers.
std::unique_ptr<hg::CViewSettings> record(long decimetres) {
    auto s = hg::createViewSettings(hg::kDrawStep);
    s->yFactor = hg::altitudeFactorAt(hg::def::yFactor);
    s->step = static_cast<double>(decimetres) / 10.0;
    s->speed = hg::speedAt(hg::def::speed);
    s->meshBlock = 1.0;
    return s;
}

bool start(benchmark::State& state, hg::CDrawStep& draw, hg::GlTarget& target,
           hg::CViewSettings& s) {
    if (!std::filesystem::exists(terrainFile())) {
        state.SkipWithError("the bundled terrain is not there");
        return false;
    }
    if (draw.initialise(&target, s, terrainFile(), hg::kDemUsgs) != 1) {
        state.SkipWithError("initialise failed");
        return false;
    }
    return true;
}

void report(benchmark::State& state, const hg::CDrawStep& draw, const hg::CViewSettings& s) {
    state.counters["vertices"] = static_cast<double>(draw.vertexCount());
    state.counters["levels"] = static_cast<double>(draw.levelCount());
    state.SetLabel(std::to_string(s.numCols) + " x " + std::to_string(s.numRows) + " vertices");
}

void BM_StepBuild(benchmark::State& state) {
    hg::EglOffscreenTarget target(kWidth, kHeight);
    for (auto _ : state) {
        hg::CDrawStep draw;
        auto s = record(state.range(0));
        if (!start(state, draw, target, *s)) return;
        state.PauseTiming();
        report(state, draw, *s);
        draw.release();
        state.ResumeTiming();
    }
}

void BM_StepFrame(benchmark::State& state) {
    hg::EglOffscreenTarget target(kWidth, kHeight);
    hg::CDrawStep draw;
    auto s = record(state.range(0));
    if (!start(state, draw, target, *s)) return;
    for (auto _ : state) benchmark::DoNotOptimize(draw.nextFrame());
    report(state, draw, *s);
    draw.release();
}

// The plain sweep: every level visits every cell, and every pair
// of a level's wall pieces is compared.
void fullSweep(const hg::StepGrid& g, hg::StepFaceSink emit) {
    std::vector<hg::CSideQuad> walls;
    for (std::size_t k = 0; k < g.levels.size(); ++k) {
        walls.clear();
        for (int j = 0; j + 1 < g.numCols; ++j) {
            for (int i = 0; i + 1 < g.numRows; ++i) {
                hg::stepCellFaces(hg::contourCell(g.vertices, g.numCols, i, j), k, g.levels[k],
                                  g.interval, hg::cellBorders(g.numCols, g.numRows, i, j), walls,
                                  emit);
            }
        }
        for (std::size_t p = 0; p < walls.size(); ++p) {
            for (std::size_t q = 0; q < walls.size(); ++q) {
                if (p == q || walls[p].first.x != walls[q].second.x ||
                    walls[p].first.z != walls[q].second.z)
                    continue;
                const hg::Vec3 n = hg::sharedNormal(walls[p].firstNormal, walls[q].secondNormal);
                walls[p].firstNormal = n;
                walls[q].secondNormal = n;
            }
        }
        hg::emitSideQuads(walls, k, g.levels[k], g.interval, emit);
    }
}

// range(0): interval in decimetres; range(1): 0 the full sweep, 1 bucketed.
void BM_StepSolidSweep(benchmark::State& state) {
    hg::EglOffscreenTarget target(kWidth, kHeight);
    hg::CDrawStep draw;
    auto s = record(10000);
    if (!start(state, draw, target, *s)) return;
    const int cells = draw.numCols() * draw.numRows();
    const std::vector<float> vertices(draw.terrain().vertices.begin(),
                                      draw.terrain().vertices.begin() + 3L * cells);
    const double d = static_cast<double>(state.range(0)) / 10.0 * s->yFactor;
    const auto levels =
        hg::contourLevels(draw.bounds().minY, draw.bounds().maxY, draw.terrain().seaLevel, d,
                          s->yFactor, hg::belowSeaOf(s->contoursBelowSea));
    const hg::StepGrid g{vertices, draw.numCols(), draw.numRows(), levels, d};
    std::size_t faces = 0;
    for (auto _ : state) {
        faces = 0;
        auto sink = [&](const hg::StepFace&) { ++faces; };
        if (state.range(1) == 0)
            fullSweep(g, sink);
        else
            hg::traceStepSolidLevels(g, sink);
    }
    state.counters["faces"] = static_cast<double>(faces);
    state.counters["levels"] = static_cast<double>(levels.size());
    draw.release();
}

BENCHMARK(BM_StepBuild)->ArgName("dm")->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepFrame)->ArgName("dm")->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepSolidSweep)
    ->ArgNames({"dm", "bucketed"})
    ->ArgsProduct({{1000, 100, 10}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
