// SPDX-License-Identifier: MIT
// Reading speed of the NTF height grid reader on a Panorama-like tile.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/os_dtm.h"

namespace {

std::string fixed(long long v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*lld", width, v);
    return buf;
}

std::string padded(const std::string& s, std::size_t width) {
    return s.size() >= width ? s.substr(0, width) : s + std::string(width - s.size(), ' ');
}

// A tile in the usual layout: 80-character records
// with CR LF, each column a grid record, its continuation and 19 heights
// per height record.
class Tile {
public:
    explicit Tile(int side) {
        path_ =
            std::filesystem::temp_directory_path() /
            ("hg_bench_os_dtm_" + std::to_string(::getpid()) + "_" + std::to_string(side) + ".ntf");
        std::string out;
        auto rec = [&out](const std::string& content, char flag) {
            out += content + flag + "%\r\n";
        };
        rec("01" + padded("OS", 20) + padded("BENCH", 20) + "19980315", '0');
        rec("02" + padded("OS_LANDRANGER_DTM", 20), '0');
        rec("07" + padded("NY20", 10) + padded("", 8) + fixed(1, 10) + fixed(4, 5) + " " +
                fixed(1000, 10) + fixed(320000, 10) + fixed(500000, 10),
            '0');
        rec("50" + padded("", 10) + fixed(side, 4) + fixed(side, 4), '0');
        for (int c = 0; c < side; ++c) {
            rec("51" + padded(std::to_string(c), 20), '1');
            rec("00" + padded("", 20), '1');
            for (int r = 0; r < side;) {
                std::string content = "00";
                for (int n = 0; n < 19 && r < side; ++n, ++r) {
                    content += fixed((c * 37 + r * 11) % 1200 - 30, 4);
                }
                rec(content, r < side ? '1' : '0');
            }
        }
        rec("99", '0');
        bytes_ = out.size();
        std::ofstream(path_, std::ios::binary) << out;
    }
    ~Tile() { std::filesystem::remove(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::size_t bytes() const { return bytes_; }

private:
    std::filesystem::path path_;
    std::size_t bytes_ = 0;
};

void readTile(benchmark::State& state, bool whole) {
    Tile tile(static_cast<int>(state.range(0)));
    hg::TerrainBuffers draw;
    for (auto _ : state) {
        hg::CViewSettings settings;
        settings.meshBlock = 1.0;
        if (whole) {
            settings.isPart = 1;
            settings.sizeMeshMaxX = settings.sizeMeshMaxZ = 20000;
        }
        hg::COSdtm mesh(draw, settings, tile.path());
        mesh.open();
        mesh.layout();
        mesh.read();
        benchmark::DoNotOptimize(draw.heights.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(tile.bytes()));
    state.counters["file_MB"] = static_cast<double>(tile.bytes()) / 1.0e6;
}

// Every post, as the info command reads them.
void BM_OsDtmFullGrid(benchmark::State& state) {
    readTile(state, true);
}
// The saver's default: thinned to at most 201 x 201 posts.
void BM_OsDtmThinned(benchmark::State& state) {
    readTile(state, false);
}

BENCHMARK(BM_OsDtmFullGrid)->Arg(401)->Arg(801)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OsDtmThinned)->Arg(801)->Unit(benchmark::kMillisecond);

}  // namespace
