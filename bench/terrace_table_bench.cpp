// SPDX-License-Identifier: MIT
// Step and 3D-Contour at a 1 m interval on whole real quads, every post a
// vertex: the imported SDTS sample at 1024 x 768 (scene build, one frame),
// and Step on both quads where the answer is a picture or a refusal, and
// what counts is how long and how much memory it takes to get there. The
// 201 x 201 window of the same ground is in contour_real_bench. peak_MiB is
// the process's peak resident size, so run one case a process:
//   taskset -c 1 hg_bench --benchmark_filter='BM_StepOutcome/dm:10/usgs:1'
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "dem/read_sdts.h"
#include "frame_count.h"
#include "platform/profile_store.h"
#include "platform/show_error.h"
#include "render/draw_contour.h"
#include "render/draw_step.h"
#include "render/output/egl_offscreen_target.h"
#include "render/step_geometry.h"
#include "render/styles.h"
#include "scratch_dir.h"
#include "settings/settings.h"

namespace {

const std::filesystem::path kShared(HG_SHARED_DATA);

using hgbench::ScratchDir;

double peakMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// The SDTS transfer imported as the saver would: trimmed, as its working file.
struct ImportedSample {
    ScratchDir dir;
    std::filesystem::path mem;
    std::unique_ptr<hg::IniProfileStore> store;
    bool ok = false;

    ImportedSample() {
        const auto cel0 = kShared / "sdts/8821/8821CEL0.DDF";
        std::error_code ec;
        if (dir.path().empty() || !std::filesystem::exists(cel0, ec)) return;
        mem = dir.path() / "Hillglimmer.mem";
        store = std::make_unique<hg::IniProfileStore>(dir.path() / "Hillglimmer.ini");
        hg::importSdtsTransfer(cel0, mem, *store);
        ok = true;
    }
};

ImportedSample& sample() {
    static ImportedSample s;
    return s;
}

std::unique_ptr<hg::CViewSettings> record(int drawType, long decimetres) {
    auto s = hg::createViewSettings(drawType);
    s->yFactor = hg::altitudeFactorAt(hg::def::yFactor);
    s->step = static_cast<double>(decimetres) / 10.0;
    s->speed = hg::speedAt(hg::def::speed);
    s->meshBlock = 1.0;
    // The whole DEM, never thinned to the saver's default 201 posts a side.
    s->isPart = 0;
    s->sizeMeshMaxX = s->sizeMeshMaxZ = 1000;
    return s;
}

// Whatever the style reports (a refusal) goes to the label, not to stderr.
struct Quiet {
    std::string shown;
    hg::ErrorSinkGuard guard{
        [this](void*, const std::string& t, const std::string&) { shown = t; }};
};

template <typename Style>
bool startOnSample(benchmark::State& state, Style& draw, hg::GlTarget& target,
                   hg::CViewSettings& s) {
    if (!sample().ok) {
        state.SkipWithError("the shared SDTS sample is not there");
        return false;
    }
    Quiet quiet;
    if (draw.initialise(&target, s, sample().mem, *sample().store) != 1) {
        state.SkipWithError(("initialise failed: " + quiet.shown).c_str());
        return false;
    }
    return true;
}

template <typename Style>
void report(benchmark::State& state, const Style& draw, const hg::CViewSettings& s) {
    state.counters["vertices"] = static_cast<double>(draw.vertexCount());
    state.counters["peak_MiB"] = peakMiB();
    state.SetLabel(std::string(hg::drawTypeName(s.drawType)) + ", " + std::to_string(s.numCols) +
                   " x " + std::to_string(s.numRows) + " vertices");
}

template <typename Style, int DrawType>
void BM_WholeBuild(benchmark::State& state) {
    hg::EglOffscreenTarget target(1024, 768);
    for (auto _ : state) {
        Style draw;
        auto s = record(DrawType, state.range(0));
        if (!startOnSample(state, draw, target, *s)) return;
        state.PauseTiming();
        report(state, draw, *s);
        draw.release();
        state.ResumeTiming();
    }
}

template <typename Style, int DrawType>
void BM_WholeFrame(benchmark::State& state) {
    hg::EglOffscreenTarget target(1024, 768);
    Style draw;
    auto s = record(DrawType, state.range(0));
    if (!startOnSample(state, draw, target, *s)) return;
    hgbench::startCounting();
    for (auto _ : state) benchmark::DoNotOptimize(draw.nextFrame());
    hgbench::stopCounting();
    report(state, draw, *s);
    draw.release();
}

// Step on a whole quad, the SDTS sample imported (range(1) 0) or the San
// Francisco South quad read in place (1): the time and memory to a picture
// or to the refusal, which the label quotes.
void BM_StepOutcome(benchmark::State& state) {
    const bool usgs = state.range(1) == 1;
    const auto quad = kShared / "usgsdem/sanfranciscos.dem";
    std::error_code ec;
    if (usgs ? !std::filesystem::exists(quad, ec) : !sample().ok) {
        state.SkipWithError("the shared sample is not there");
        return;
    }
    hg::EglOffscreenTarget target(1024, 768);
    std::string outcome;
    for (auto _ : state) {
        hg::CDrawStep draw;
        auto s = record(hg::kDrawStep, state.range(0));
        Quiet quiet;
        const int ok = usgs ? draw.initialise(&target, *s, quad, hg::kDemUsgs)
                            : draw.initialise(&target, *s, sample().mem, *sample().store);
        state.PauseTiming();
        outcome = ok == 1 ? std::to_string(s->numCols) + " x " + std::to_string(s->numRows) +
                                " drawn, " + std::to_string(draw.vertexCount()) + " vertices"
                          : "refused: " + quiet.shown;
        draw.release();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peakMiB();
    state.SetLabel(outcome);
}

// Where Step's vertices go on the whole sample: plates, walls and outlines
// as traceStepLevels merges them, and how many strips carry them (each a
// primitive of its own in the lists). Traced only, no lists.
void BM_StepParts(benchmark::State& state) {
    hg::EglOffscreenTarget target(64, 48);
    hg::CDrawStep draw;
    auto s = record(hg::kDrawStep, 1000);
    if (!startOnSample(state, draw, target, *s)) return;
    const std::vector<float> vertices(
        draw.terrain().vertices.begin(),
        draw.terrain().vertices.begin() + 3L * draw.numCols() * draw.numRows());
    const double d = static_cast<double>(state.range(0)) / 10.0 * s->yFactor;
    const auto levels =
        hg::contourLevels(draw.bounds().minY, draw.bounds().maxY, draw.terrain().seaLevel, d,
                          s->yFactor, hg::belowSeaOf(s->contoursBelowSea));
    const hg::StepGrid g{vertices, draw.numCols(), draw.numRows(), levels, d};
    draw.release();
    std::size_t plates = 0, ribbons = 0, walls = 0, outline = 0, strips = 0;
    for (auto _ : state) {
        plates = ribbons = walls = outline = strips = 0;
        hg::traceStepLevels(g, [&](const hg::StepLevel& m) {
            plates += m.triangles.size() + m.quads.size() + m.blockStrip.size();
            ribbons += m.ribbons.size();
            walls += m.borderWalls.size() + m.wallPoints.size();
            outline += m.outlineVertices();
            strips += m.ribbonEnds.size() + m.wallEnds.size() + m.outline.ends.size() +
                      (m.blockStrip.empty() ? 0 : 1);
        });
    }
    state.counters["plates"] = static_cast<double>(plates);
    state.counters["ribbons"] = static_cast<double>(ribbons);
    state.counters["walls"] = static_cast<double>(walls);
    state.counters["outline"] = static_cast<double>(outline);
    state.counters["strips"] = static_cast<double>(strips);
    state.counters["levels"] = static_cast<double>(levels.size());
}

// Where a 3D-Contour frame of the whole sample at 1 m goes, by what is
// left of it: range(0) 0 the frame as drawn, 1 clipped to a 1 x 1 scissor
// (the vertex and set-up work without the rasterising), 2 the clear and
// finish alone, 3 lines one pixel wide instead of the style's width.
void BM_ContourFrameParts(benchmark::State& state) {
    hg::EglOffscreenTarget target(1024, 768);
    hg::CDrawContour draw;
    auto s = record(hg::kDrawContour, 10);
    if (!startOnSample(state, draw, target, *s)) return;
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    state.counters["line_width"] = width;
    if (state.range(0) == 1) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
    if (state.range(0) == 3) glLineWidth(1.0f);
    if (state.range(0) == 4) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
        glLineWidth(1.0f);
    }
    hgbench::startCounting();
    for (auto _ : state) {
        if (state.range(0) == 2) {
            target.swapBuffers();
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glFinish();
        } else {
            benchmark::DoNotOptimize(draw.nextFrame());
        }
    }
    hgbench::stopCounting();
    glDisable(GL_SCISSOR_TEST);
    report(state, draw, *s);
    draw.release();
}

// The lines 3D-Contour draws on the whole sample at 1 m: strips, points,
// and how many inner points lie within the style's bend of the chord
// between their neighbours, traced as they were (range(0) 0) or
// straightened as the style draws them at 1024 x 768 (1). ground_per_px is the ground a
// pixel covers at the near plane of a 1024 pixel wide view, the largest
// scale anything drawn is seen at.
void BM_ContourLines(benchmark::State& state) {
    hg::EglOffscreenTarget target(64, 48);
    hg::CDrawContour draw;
    auto s = record(hg::kDrawContour, 10);
    if (!startOnSample(state, draw, target, *s)) return;
    const hg::Bounds& b = draw.bounds();
    const hg::Projection p = hg::computeProjection(b.minX, b.maxX, b.minZ, b.maxZ, s->fovY,
                                                   s->distanceFactor, s->perspective, 1.0, 0.0f);
    const double bend = hg::unseenBend(p, 1024);
    std::size_t strips = 0, points = 0, near = 0;
    for (auto _ : state) {
        strips = points = near = 0;
        hg::traceContourLines(
            draw.terrain().vertices, draw.numCols(), draw.numRows(), draw.levels(),
            state.range(0) == 1 ? bend : 0.0, [&](std::size_t, const hg::Polylines& lines) {
                strips += lines.ends.size();
                points += lines.points.size();
                std::uint32_t first = 0;
                for (const std::uint32_t end : lines.ends) {
                    for (std::uint32_t q = first + 1; q + 1 < end; ++q) {
                        const auto &a = lines.points[q - 1], &m = lines.points[q],
                                   &c = lines.points[q + 1];
                        const double ux = c.x - a.x, uz = c.z - a.z;
                        const double off = std::fabs(ux * (m.z - a.z) - uz * (m.x - a.x));
                        near += off <= bend * std::hypot(ux, uz);
                    }
                    first = end;
                }
            });
    }
    state.counters["strips"] = static_cast<double>(strips);
    state.counters["points"] = static_cast<double>(points);
    state.counters["within_bend"] = static_cast<double>(near);
    state.counters["bend"] = bend;
    state.counters["ground_per_px"] = (p.right - p.left) / 1024.0;
    state.counters["levels"] = static_cast<double>(draw.levels().size());
    draw.release();
}

// 1 m, and 5 m, the finest listed interval Step draws the whole sample at.
void intervals(benchmark::internal::Benchmark* b) {
    b->ArgName("dm")->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_WholeBuild<hg::CDrawStep, hg::kDrawStep>)->Apply(intervals)->Iterations(3);
BENCHMARK(BM_WholeFrame<hg::CDrawStep, hg::kDrawStep>)->Apply(intervals);
BENCHMARK(BM_WholeBuild<hg::CDrawContour, hg::kDrawContour>)->Apply(intervals)->Iterations(3);
BENCHMARK(BM_WholeFrame<hg::CDrawContour, hg::kDrawContour>)->Apply(intervals);
BENCHMARK(BM_ContourFrameParts)->ArgName("part")->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContourLines)->ArgName("straighten")->DenseRange(0, 1)->Iterations(1);
BENCHMARK(BM_StepParts)->Apply(intervals)->Iterations(1);
BENCHMARK(BM_StepOutcome)
    ->ArgNames({"dm", "usgs"})
    ->ArgsProduct({{10, 20, 50}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
