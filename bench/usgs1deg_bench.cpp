// SPDX-License-Identifier: MIT
// Reading speed of the USGS DEM reader, and the cost of turning a full
// 1-degree grid into vertices.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/usgs1deg.h"

namespace {

std::string fixed(const char* format, double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string i6(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%6d", v);
    return buf;
}

std::string d24(double v) {
    std::string s = fixed("%24.15E", v);
    s[s.find('E')] = 'D';
    return s;
}

// A 1-degree DEM of side x side posts at 3 arc-seconds, 1024-character
// blocks, written once into the temporary directory.
class OneDegreeFile {
public:
    explicit OneDegreeFile(int side) {
        path_ = std::filesystem::temp_directory_path() /
                ("hg_bench_usgs1deg_" + std::to_string(::getpid()) + "_" + std::to_string(side) +
                 ".dem");
        const double w = -309600.0, s = 129600.0, span = 3.0 * (side - 1);
        std::string out;
        std::string a(1024, ' ');
        auto put = [](std::string& block, std::size_t at, const std::string& text) {
            block.replace(at, text.size(), text);
        };
        put(a, 0, "BENCH 1-DEGREE");
        put(a, 156, i6(0) + i6(0));
        put(a, 528, i6(3) + i6(2) + i6(4));
        const double corners[8] = {w, s, w, s + span, w + span, s + span, w + span, s};
        for (int i = 0; i < 8; ++i) put(a, 546 + 24 * i, d24(corners[i]));
        put(a, 738, d24(0.0) + d24(2999.0));
        put(a, 816, fixed("%12.6E", 3.0) + fixed("%12.6E", 3.0) + fixed("%12.6E", 1.0));
        put(a, 852, i6(1) + i6(side));
        out += a;
        for (int c = 0; c < side; ++c) {
            std::string block(1024, ' ');
            put(block, 0, i6(1) + i6(c + 1) + i6(side) + i6(1));
            put(block, 24, d24(w + 3.0 * c) + d24(s) + d24(0.0) + d24(0.0) + d24(2999.0));
            std::size_t at = 144;
            for (int r = 0; r < side; ++r) {
                if (at + 6 > 1020) {
                    out += block;
                    block.assign(1024, ' ');
                    at = 0;
                }
                put(block, at, i6((c * 37 + r * 11) % 3000));
                at += 6;
            }
            out += block;
        }
        bytes_ = out.size();
        std::ofstream(path_, std::ios::binary) << out;
    }
    ~OneDegreeFile() { std::filesystem::remove(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::size_t bytes() const { return bytes_; }

private:
    std::filesystem::path path_;
    std::size_t bytes_ = 0;
};

void wholeWindow(hg::CViewSettings& s) {
    s.isPart = 1;
    s.startX = s.startZ = 0;
    s.sizeMeshMaxX = s.sizeMeshMaxZ = 20000;
    s.meshBlock = 1.0;
    s.yFactor = 1.0;
}

// Header and data, as the saver loads a DEM; throughput counts the file.
void readFile(benchmark::State& state, const std::filesystem::path& path, std::size_t bytes,
              bool whole) {
    hg::TerrainBuffers draw;
    for (auto _ : state) {
        hg::CViewSettings settings;
        settings.yFactor = 1.0;
        if (whole) wholeWindow(settings);
        hg::CUSGS1deg mesh(draw, settings, path);
        mesh.open();
        mesh.layout();
        mesh.read();
        benchmark::DoNotOptimize(draw.heights.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_UsgsDemReadSanFranciscoNorth(benchmark::State& state) {
    const std::filesystem::path path =
        std::filesystem::path(HG_SHARED_DATA) / "usgsdem/San_Fran_North.dem";
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("shared sample San_Fran_North.dem not found");
        return;
    }
    readFile(state, path, std::filesystem::file_size(path), true);
}
BENCHMARK(BM_UsgsDemReadSanFranciscoNorth)->Unit(benchmark::kMillisecond);

const OneDegreeFile& oneDegree() {
    static const OneDegreeFile file(1201);
    return file;
}

void BM_UsgsDemReadOneDegreeFull(benchmark::State& state) {
    readFile(state, oneDegree().path(), oneDegree().bytes(), true);
}
BENCHMARK(BM_UsgsDemReadOneDegreeFull)->Unit(benchmark::kMillisecond);

// The saver's usual load: the whole DEM thinned to at most 201 x 201.
void BM_UsgsDemReadOneDegreeThinned(benchmark::State& state) {
    readFile(state, oneDegree().path(), oneDegree().bytes(), false);
}
BENCHMARK(BM_UsgsDemReadOneDegreeThinned)->Unit(benchmark::kMillisecond);

// Layout plus heights-to-vertices for the 1201 x 1201 grid; the read in
// between is not timed.
void layoutAndVertices(benchmark::State& state, bool whole) {
    hg::TerrainBuffers draw;
    for (auto _ : state) {
        hg::CViewSettings settings;
        settings.yFactor = 1.0;
        if (whole) wholeWindow(settings);
        hg::CUSGS1deg mesh(draw, settings, oneDegree().path());
        state.PauseTiming();
        mesh.open();
        state.ResumeTiming();
        mesh.layout();
        state.PauseTiming();
        mesh.read();
        state.ResumeTiming();
        mesh.heightsToVertices();
        benchmark::DoNotOptimize(draw.vertices.data());
    }
}

void BM_UsgsDemLayoutAndVerticesWindow1201(benchmark::State& state) {
    layoutAndVertices(state, true);
}
BENCHMARK(BM_UsgsDemLayoutAndVerticesWindow1201)->Unit(benchmark::kMillisecond);

void BM_UsgsDemLayoutAndVerticesDefaults(benchmark::State& state) {
    layoutAndVertices(state, false);
}
BENCHMARK(BM_UsgsDemLayoutAndVerticesDefaults)->Unit(benchmark::kMillisecond);

}  // namespace
