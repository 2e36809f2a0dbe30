// SPDX-License-Identifier: MIT
// 3D-Contour and Step on the saver's default grid of real ground: a
// 201 x 201 window of 30 m posts from the middle of the shared SDTS sample
// (its reference heights), every post a vertex. Scene build with the
// vertices it records, and one frame, at 100 m, 10 m and 1 m.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dem/memory_grid.h"
#include "frame_count.h"
#include "platform/file.h"
#include "render/draw_contour.h"
#include "render/draw_step.h"
#include "render/output/egl_offscreen_target.h"
#include "render/styles.h"
#include "settings/settings.h"

namespace {

constexpr int kSide = 201;
constexpr int kSampleCols = 343;
constexpr int kSampleRows = 471;

// The window's heights, or nothing where the shared data is absent.
const std::optional<std::vector<float>>& windowHeights() {
    static const std::optional<std::vector<float>> heights =
        []() -> std::optional<std::vector<float>> {
        const auto raw =
            hg::readWholeFile(std::filesystem::path(HG_SHARED_DATA) / "oracle" / "8821.f32");
        if (!raw || raw->size() != std::size_t{kSampleCols} * kSampleRows * 4) return std::nullopt;
        std::vector<float> h(std::size_t{kSide} * kSide);
        const int top = (kSampleRows - kSide) / 2, left = (kSampleCols - kSide) / 2;
        for (int r = 0; r < kSide; ++r) {
            const std::size_t from = (std::size_t(top + r) * kSampleCols + std::size_t(left)) * 4;
            std::memcpy(&h[std::size_t(r) * kSide], raw->data() + from, std::size_t{kSide} * 4);
        }
        return h;
    }();
    return heights;
}

hg::CDraw::MeshMaker windowMaker() {
    return [](hg::TerrainBuffers& b, hg::CViewSettings& s) {
        return std::make_unique<hg::CMemoryGrid>(b, s, kSide, kSide, *windowHeights(), 30.0, 30.0,
                                                 "Real ground, 201 x 201");
    };
}

std::unique_ptr<hg::CViewSettings> record(int drawType, long decimetres) {
    auto s = hg::createViewSettings(drawType);
    s->yFactor = hg::altitudeFactorAt(hg::def::yFactor);
    s->step = static_cast<double>(decimetres) / 10.0;
    s->speed = hg::speedAt(hg::def::speed);
    s->meshBlock = 1.0;
    return s;
}

template <typename Style>
bool start(benchmark::State& state, Style& draw, hg::GlTarget& target, hg::CViewSettings& s) {
    if (!windowHeights()) {
        state.SkipWithError("the shared SDTS reference heights are not there");
        return false;
    }
    if (draw.initialiseWith(&target, s, windowMaker()) != 1) {
        state.SkipWithError("initialise failed");
        return false;
    }
    return true;
}

template <typename Style>
void report(benchmark::State& state, const Style& draw, const hg::CViewSettings& s) {
    state.counters["vertices"] = static_cast<double>(draw.vertexCount());
    state.SetLabel(std::string(hg::drawTypeName(s.drawType)) + ", " + std::to_string(s.numCols) +
                   " x " + std::to_string(s.numRows) + " vertices");
}

template <typename Style, int DrawType>
void BM_RealBuild(benchmark::State& state) {
    hg::EglOffscreenTarget target(640, 480);
    for (auto _ : state) {
        Style draw;
        auto s = record(DrawType, state.range(0));
        if (!start(state, draw, target, *s)) return;
        state.PauseTiming();
        report(state, draw, *s);
        draw.release();
        state.ResumeTiming();
    }
}

template <typename Style, int DrawType>
void BM_RealFrame(benchmark::State& state) {
    hg::EglOffscreenTarget target(640, 480);
    Style draw;
    auto s = record(DrawType, state.range(0));
    if (!start(state, draw, target, *s)) return;
    hgbench::startCounting();
    for (auto _ : state) benchmark::DoNotOptimize(draw.nextFrame());
    hgbench::stopCounting();
    report(state, draw, *s);
    draw.release();
}

void intervals(benchmark::internal::Benchmark* b) {
    b->ArgName("dm")->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_RealBuild<hg::CDrawContour, hg::kDrawContour>)->Apply(intervals);
BENCHMARK(BM_RealFrame<hg::CDrawContour, hg::kDrawContour>)->Apply(intervals);
BENCHMARK(BM_RealBuild<hg::CDrawStep, hg::kDrawStep>)->Apply(intervals);
BENCHMARK(BM_RealFrame<hg::CDrawStep, hg::kDrawStep>)->Apply(intervals);

}  // namespace
