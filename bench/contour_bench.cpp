// SPDX-License-Identifier: MIT
// What the contour lines cost on a real terrain as the interval shrinks:
// the scene build and the line count, the trace alone (asking each cell
// only about the levels it spans, against asking every cell about every
// level), and one frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "render/draw_contour.h"
#include "render/output/egl_offscreen_target.h"
#include "render/styles.h"
#include "settings/settings.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// range(0) 0: the bundled terrain; 1: a shared USGS sample.
std::filesystem::path terrainPath(const benchmark::State& state) {
    if (state.range(0) == 0) return std::filesystem::path(HG_SOURCE_DIR) / "data" / "jacksboro.dem";
    return std::filesystem::path(HG_SHARED_DATA) / "usgsdem" / "San_Fran_North.dem";
}

// Every sample a vertex, as the saver reads the bundled terrain.
std::unique_ptr<hg::CViewSettings> contourRecord(double metres) {
    auto s = hg::createViewSettings(hg::kDrawContour);
    s->yFactor = hg::altitudeFactorAt(hg::def::yFactor);
    s->step = metres;
    s->speed = hg::speedAt(hg::def::speed);
    s->meshBlock = hg::meshBlockFor(0);
    return s;
}

bool ready(benchmark::State& state) {
    if (std::filesystem::exists(terrainPath(state))) return true;
    state.SkipWithError("the terrain is not there");
    return false;
}

void describe(benchmark::State& state, const hg::CDrawContour& draw, const hg::CViewSettings& s) {
    state.counters["vertices"] = static_cast<double>(draw.vertexCount());
    state.counters["levels"] = static_cast<double>(draw.levels().size());
    state.SetLabel(std::to_string(s.numCols) + " x " + std::to_string(s.numRows) + " vertices");
}

double metresOf(const benchmark::State& state) {
    return static_cast<double>(state.range(1)) / 10.0;
}

void BM_ContourBuild(benchmark::State& state) {
    if (!ready(state)) return;
    hg::EglOffscreenTarget target(kWidth, kHeight);
    for (auto _ : state) {
        hg::CDrawContour draw;
        auto s = contourRecord(metresOf(state));
        if (!draw.initialise(&target, *s, terrainPath(state), hg::kDemUsgs)) {
            state.SkipWithError("initialise failed");
            return;
        }
        state.PauseTiming();
        describe(state, draw, *s);
        draw.release();
        state.ResumeTiming();
    }
}

void BM_ContourFrame(benchmark::State& state) {
    if (!ready(state)) return;
    hg::EglOffscreenTarget target(kWidth, kHeight);
    hg::CDrawContour draw;
    auto s = contourRecord(metresOf(state));
    if (!draw.initialise(&target, *s, terrainPath(state), hg::kDemUsgs)) {
        state.SkipWithError("initialise failed");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(draw.nextFrame());
    describe(state, draw, *s);
    draw.release();
}

// The trace without OpenGL. range(2) 0: each cell visits only its own
// levels; 1: every cell visits every level, with the colour it would set
// counted, as a display list built that way would hold it.
void BM_ContourTrace(benchmark::State& state) {
    if (!ready(state)) return;
    hg::EglOffscreenTarget target(kWidth, kHeight);
    hg::CDrawContour draw;
    auto s = contourRecord(metresOf(state));
    if (!draw.initialise(&target, *s, terrainPath(state), hg::kDemUsgs)) {
        state.SkipWithError("initialise failed");
        return;
    }
    const std::span<const float> v = draw.terrain().vertices;
    const std::vector<double>& levels = draw.levels();
    const int cols = s->numCols, rows = s->numRows;
    const bool everyLevel = state.range(2) != 0;
    std::size_t calls = 0;
    for (auto _ : state) {
        calls = 0;
        if (everyLevel) {
            for (int j = 0; j < cols - 1; ++j) {
                for (int i = 0; i < rows - 1; ++i) {
                    const hg::ContourCell cell = hg::contourCell(v, cols, i, j);
                    for (double level : levels) {
                        ++calls;
                        hg::traceCentreFan(cell, level,
                                           [&](const hg::ContourSegment&) { calls += 2; });
                    }
                }
            }
        } else {
            std::size_t current = SIZE_MAX;
            hg::traceContourGrid(v, cols, rows, levels,
                                 [&](std::size_t k, const hg::ContourSegment&) {
                                     calls += 2 + (k != current);
                                     current = k;
                                 });
        }
        benchmark::DoNotOptimize(calls);
    }
    state.counters["gl_calls"] = static_cast<double>(calls);
    describe(state, draw, *s);
    draw.release();
}

// Intervals in tenths of a metre: 100 m, 10 m, 1 m.
void intervals(benchmark::internal::Benchmark* b) {
    for (int terrain : {0, 1})
        for (int tenths : {1000, 100, 10}) b->Args({terrain, tenths});
    b->ArgNames({"terrain", "dm"});
    b->Unit(benchmark::kMillisecond);
}

void traceArgs(benchmark::internal::Benchmark* b) {
    for (int terrain : {0, 1})
        for (int tenths : {1000, 100, 10})
            for (int every : {0, 1}) b->Args({terrain, tenths, every});
    b->ArgNames({"terrain", "dm", "everyLevel"});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ContourBuild)->Apply(intervals);
BENCHMARK(BM_ContourFrame)->Apply(intervals);
BENCHMARK(BM_ContourTrace)->Apply(traceArgs);

}  // namespace
