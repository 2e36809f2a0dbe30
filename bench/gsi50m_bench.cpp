// SPDX-License-Identifier: MIT
// Reading speed of the GSI 50 m reader on a generated 200 x 200 sheet and on
// a 399 x 399 composition of four such sheets, and the composition itself.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "dem/gsi50m.h"
#include "dem/gsi50m_sheets.h"

namespace {

namespace fs = std::filesystem;

std::string angle(long v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%03ld%02ld%02ld", v / 3600, v % 3600 / 60, v % 60);
    return buf;
}

// A published-style sheet with every row present; heights vary so the
// number parsing does real work.
std::string makeSheet(int sr, int sc) {
    const long west = 503550 + sc * 450, north = 126000 - sr * 300;
    std::string h(1011, ' ');
    h.replace(23, 6, "200200");
    h.replace(29, 7, angle(north - 300));
    h.replace(36, 7, angle(west));
    h.replace(43, 7, angle(north));
    h.replace(50, 7, angle(west + 450));
    h.replace(142, 3, "200");
    h.replace(225, 200, std::string(200, '1'));
    std::string out = h;
    char buf[16];
    for (int r = 0; r < 200; ++r) {
        std::snprintf(buf, sizeof buf, "%9d", r);
        out += buf;
        for (int c = 0; c < 200; ++c) {
            int R = sr * 199 + r, C = sc * 199 + c;
            std::snprintf(buf, sizeof buf, "%5d", (R * 37 + C * 11) % 40000 - 2000);
            out += buf;
        }
        out += "\r\n";
    }
    return out;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Four sheets, their index, and their composition, made once.
struct Files {
    fs::path dir;
    fs::path sheet;
    fs::path composed;
    fs::path index;

    Files() {
        std::string pattern = (fs::temp_directory_path() / "hgbench-gsi50m-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
        index = dir / "zumei.csv";
        const char* codes[4] = {"533900", "533901", "523900", "523901"};
        std::string text;
        for (int k = 0; k < 4; ++k) {
            writeFile(dir / "data" / std::string(codes[k], 4) / (std::string(codes[k]) + ".mem"),
                      makeSheet(k / 2, k % 2));
            text += std::string(codes[k]) + ",Sheet\n";
        }
        writeFile(index, text);
        sheet = dir / "data" / "5339" / "533900.mem";
        composed = dir / "composed.mem";
        hg::IniProfileStore store(dir / "Hillglimmer.ini");
        hg::CGSI50mSheets sheets;
        sheets.loadIndex(index);
        sheets.composeSheets({0, 1, 2, 3}, composed, store);
    }
    ~Files() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

const Files& files() {
    static const Files f;
    return f;
}

void readWhole(benchmark::State& state, const fs::path& path) {
    const auto bytes = static_cast<std::int64_t>(fs::file_size(path));
    for (auto _ : state) {
        hg::TerrainBuffers buffers;
        hg::CViewSettings settings;
        settings.meshBlock = 1.0;
        settings.isPart = 1;
        settings.sizeMeshMaxX = settings.sizeMeshMaxZ = 999;
        hg::CGSI50m mesh(buffers, settings, path);
        mesh.open();
        mesh.layout();
        mesh.read();
        benchmark::DoNotOptimize(buffers.heights.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_Gsi50mReadSheet200(benchmark::State& state) {
    readWhole(state, files().sheet);
}
BENCHMARK(BM_Gsi50mReadSheet200)->Unit(benchmark::kMicrosecond);

void BM_Gsi50mReadComposition399(benchmark::State& state) {
    readWhole(state, files().composed);
}
BENCHMARK(BM_Gsi50mReadComposition399)->Unit(benchmark::kMicrosecond);

// Includes the synced write of the working file, as a user would see it.
void BM_Gsi50mComposeFour(benchmark::State& state) {
    const Files& f = files();
    hg::IniProfileStore store(f.dir / "Hillglimmer.ini");
    hg::CGSI50mSheets sheets;
    sheets.loadIndex(f.index);
    const fs::path out = f.dir / "bench.mem";
    for (auto _ : state) sheets.composeSheets({0, 1, 2, 3}, out, store);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(out)));
}
BENCHMARK(BM_Gsi50mComposeFour)->Unit(benchmark::kMillisecond);

}  // namespace
