// SPDX-License-Identifier: MIT
// Import of the sample SDTS transfer, and reading its working grid back.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <climits>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "dem/iso8211/iso8211_reader.h"
#include "dem/mesh.h"
#include "dem/read_sdts.h"
#include "dem/usgs75min.h"
#include "dem/view_settings.h"
#include "platform/profile_store.h"
#include "scratch_dir.h"

namespace {

const std::filesystem::path kCel0 =
    std::filesystem::path(HG_SHARED_DATA) / "sdts/8821/8821CEL0.DDF";

using hgbench::ScratchDir;

bool haveSample(benchmark::State& state) {
    std::error_code ec;
    if (std::filesystem::exists(kCel0, ec)) return true;
    state.SkipWithError("shared sample data not found");
    return false;
}

// The whole import: nine modules parsed, the grid trimmed, the working file
// replaced and synced, the settings written.
void BM_SdtsImport(benchmark::State& state) {
    if (!haveSample(state)) return;
    ScratchDir dir;
    hg::IniProfileStore store(dir.path() / "Hillglimmer.ini");
    for (auto _ : state) {
        hg::importSdtsTransfer(kCel0, dir.path() / "Hillglimmer.mem", store);
    }
    std::error_code ec;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(kCel0, ec)));
}
BENCHMARK(BM_SdtsImport)->Unit(benchmark::kMillisecond);

// The transfer read as the import reads it, without writing anything: the
// descriptive modules and every cell.
void BM_SdtsParse(benchmark::State& state) {
    if (!haveSample(state)) return;
    for (auto _ : state) {
        hg::CSDTSInfo info;
        hg::CReadSDTS reader(hg::sdtsPrefix(kCel0));
        reader.readModules(info);
        reader.readCells();
        benchmark::DoNotOptimize(reader.cells().data());
    }
}
BENCHMARK(BM_SdtsParse)->Unit(benchmark::kMillisecond);

// The record reader alone over the cell module.
void BM_Iso8211CellModule(benchmark::State& state) {
    if (!haveSample(state)) return;
    std::int64_t subfields = 0;
    for (auto _ : state) {
        hg::Iso8211Reader reader;
        hg::Iso8211Leader leader;
        std::string ddr;
        int status = 0;
        reader.openModule(kCel0, "r", leader);
        reader.readDescriptiveRecord(ddr, status);
        hg::Iso8211Subfield s;
        while (reader.readSubfield(s) && s.status != hg::kIsoEndOfFile) ++subfields;
    }
    std::error_code ec;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(kCel0, ec)));
    state.counters["subfields/s"] =
        benchmark::Counter(static_cast<double>(subfields), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Iso8211CellModule)->Unit(benchmark::kMillisecond);

// The saver's read of the working grid at full resolution.
void BM_Usgs75minRead(benchmark::State& state) {
    if (!haveSample(state)) return;
    ScratchDir dir;
    hg::IniProfileStore store(dir.path() / "Hillglimmer.ini");
    const auto mem = dir.path() / "Hillglimmer.mem";
    hg::importSdtsTransfer(kCel0, mem, store);
    for (auto _ : state) {
        hg::TerrainBuffers buffers;
        auto settings = std::make_unique<hg::CViewSettings>();
        settings->isPart = 1;
        settings->sizeMeshMaxX = settings->sizeMeshMaxZ = INT_MAX;
        settings->meshBlock = 1.0;
        hg::CUSGS75min mesh(buffers, *settings, mem);
        mesh.openFrom(store);
        mesh.layout();
        mesh.read();
        benchmark::DoNotOptimize(buffers.heights.data());
    }
    std::error_code ec;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(mem, ec)));
}
BENCHMARK(BM_Usgs75minRead)->Unit(benchmark::kMillisecond);

}  // namespace
