// SPDX-License-Identifier: MIT
// Reading speed of the DHM25, GSI 10 m and RIMINI readers (header and
// heights; the shared layout in between is not timed). DHM25 and GSI
// 10 m are measured on generated files of a few megabytes; a RIMINI model
// is always 71 x 49 heights (about 18 KB), so it is measured at that size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/fot_dhm25.h"
#include "dem/fot_rimini.h"
#include "dem/gsi10m.h"

namespace {

std::filesystem::path scratch(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("hg_bench_swiss_" + std::to_string(::getpid()) + "_" + name);
}

class GeneratedFile {
public:
    GeneratedFile(const std::string& name, const std::string& bytes)
        : path_(scratch(name)), bytes_(bytes.size()) {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~GeneratedFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::size_t bytes() const { return bytes_; }

private:
    std::filesystem::path path_;
    std::size_t bytes_;
};

int height(int r, int c) {
    return (r * 37 + c * 11) % 30000;
}

// cols x rows heights, one record per row, CR LF line ends.
const GeneratedFile& dhm25File() {
    static const GeneratedFile file = [] {
        const int cols = 700, rows = 500;
        char buf[128];
        std::string out = "NEWHEADER\r\nMODELLNAME    BENCH\r\n";
        out += "NORD-WEST ECKE     [M]  600000.0  200000.0\r\n";
        out += "SUED-OST ECKE      [M]  617475.0  187525.0\r\n";
        out += "MASCHENWEITE WE/NS [M]      25.0      25.0\r\n";
        std::snprintf(buf, sizeof buf, "MATRIXDIMENSIONEN WE/NS %6d %6d\r\n", cols, rows);
        out += buf;
        out += "HOEHENBEREICH     [DM]       0     30000\r\n";
        std::snprintf(buf, sizeof buf, "RECORDLAENGE(CHAR.)  %6d\r\n", cols * 6);
        out += buf;
        out += "ENDHEADER\r\n";
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                std::snprintf(buf, sizeof buf, "%6d", height(r, c));
                out += buf;
            }
            out += "\r\n";
        }
        return GeneratedFile("dhm25.mlt", out);
    }();
    return file;
}

constexpr int kGsiSide = 1201;

const GeneratedFile& gsi10mFile() {
    static const GeneratedFile file = [] {
        std::string out;
        out.reserve(static_cast<std::size_t>(kGsiSide) * kGsiSide * 2);
        for (int r = 0; r < kGsiSide; ++r) {
            for (int c = 0; c < kGsiSide; ++c) {
                int v = height(r, c);
                out.push_back(static_cast<char>(v >> 8));
                out.push_back(static_cast<char>(v & 0xFF));
            }
        }
        return GeneratedFile("gsi10m.dat", out);
    }();
    return file;
}

const GeneratedFile& riminiFile() {
    static const GeneratedFile file = [] {
        std::string out;
        char buf[16];
        int field = 0;
        for (int k = 0; k < 218 * 16; ++k) {
            std::snprintf(buf, sizeof buf, "%5d", k < 71 * 49 ? height(k / 71, k % 71) % 5000 : 0);
            out += buf;
            if (++field == 16) {
                out += "\r\n";
                field = 0;
            }
        }
        return GeneratedFile("rimini.dat", out);
    }();
    return file;
}

void fullWindow(hg::CViewSettings& s, bool whole) {
    s.yFactor = 1.0;
    if (!whole) return;  // the saver's default: thinned to 201 x 201
    s.isPart = 1;
    s.startX = s.startZ = 0;
    s.sizeMeshMaxX = s.sizeMeshMaxZ = 20000;
    s.meshBlock = 1.0;
}

template <typename Mesh, typename Open>
void readLoop(benchmark::State& state, const GeneratedFile& file, bool whole, Open open) {
    hg::TerrainBuffers draw;
    for (auto _ : state) {
        hg::CViewSettings settings;
        fullWindow(settings, whole);
        Mesh mesh(draw, settings, file.path());
        open(mesh);
        // The layout's vertex grid is shared work, not the reader's.
        state.PauseTiming();
        mesh.layout();
        state.ResumeTiming();
        mesh.read();
        benchmark::DoNotOptimize(draw.heights.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes()));
    state.counters["file_bytes"] = static_cast<double>(file.bytes());
}

void BM_Dhm25Read(benchmark::State& state) {
    readLoop<hg::CFOTdhm25>(state, dhm25File(), state.range(0) != 0,
                            [](hg::CFOTdhm25& m) { m.open(); });
}
BENCHMARK(BM_Dhm25Read)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_Gsi10mRead(benchmark::State& state) {
    hg::CGSI10mInfo info;
    info.nCols = info.nRows = kGsiSide;
    info.disLong = info.disLat = 10.0 * (kGsiSide - 1);
    // The description is given directly: the settings file is not what is
    // being measured.
    readLoop<hg::CGSI10m>(state, gsi10mFile(), state.range(0) != 0,
                          [&](hg::CGSI10m& m) { m.describe(info); });
}
BENCHMARK(BM_Gsi10mRead)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_RiminiRead(benchmark::State& state) {
    readLoop<hg::CFOTrimini>(state, riminiFile(), true, [](hg::CFOTrimini& m) { m.open(); });
}
BENCHMARK(BM_RiminiRead)->Unit(benchmark::kMicrosecond);

}  // namespace
