// SPDX-License-Identifier: MIT
// Start of the saver's load for rasters read through GDAL: an SRTM tile and
// a large tiled GeoTIFF, thinned to the default 201 x 201 limits.
#include <benchmark/benchmark.h>
#include <gdal.h>
#include <ogr_srs_api.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "dem/gdal_open.h"
#include "dem/gdal_raster.h"
#include "dem/view_settings.h"

namespace {

// A side x side Int16 raster of rolling hills, written once per run into
// the temporary folder through `driver` with its creation options.
class RasterFile {
public:
    RasterFile(const std::string& name, const char* driver, int side, double cell,
               std::vector<std::string> options, bool overviews) {
        // Some formats read their place from the file's name: keep it as is.
        dir_ = std::filesystem::temp_directory_path() /
               ("hg_bench_" + std::to_string(::getpid()) + "_" + name + ".d");
        std::filesystem::create_directories(dir_);
        path_ = dir_ / name;
        // Other formats are copied from a GeoTIFF: the process has no
        // in-memory driver.
        const bool direct = std::string(driver) == "GTiff";
        const std::filesystem::path source = direct ? path_ : dir_ / "source.tif";
        hg::GdalDataset made = hg::createGdalRaster("GTiff", source, side, side, GDT_Int16,
                                                    direct ? options : std::vector<std::string>{});
        if (!made) {
            path_.clear();
            return;
        }
        GDALDatasetH ds = made.get();
        double gt[6] = {7.0 - cell / 2, cell, 0.0, 47.0 + cell / 2, 0.0, -cell};
        GDALSetGeoTransform(ds, gt);
        OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(srs, 4326);
        GDALSetSpatialRef(ds, srs);
        OSRDestroySpatialReference(srs);
        GDALRasterBandH band = GDALGetRasterBand(ds, 1);
        std::vector<std::int16_t> row(static_cast<std::size_t>(side));
        for (int r = 0; r < side; ++r) {
            for (int c = 0; c < side; ++c)
                row[static_cast<std::size_t>(c)] = static_cast<std::int16_t>(
                    1000 + 600 * std::sin(c * 0.003) * std::cos(r * 0.002) + (r * 7 + c * 3) % 13);
            if (GDALRasterIO(band, GF_Write, 0, r, side, 1, row.data(), side, 1, GDT_Int16, 0, 0) !=
                CE_None)
                return;
        }
        if (overviews) {
            int levels[] = {2, 4, 8, 16, 32};
            if (GDALBuildOverviews(ds, "AVERAGE", 5, levels, 0, nullptr, nullptr, nullptr) !=
                CE_None)
                path_.clear();
        }
        if (!direct && !hg::copyGdalRaster(driver, path_, ds, options)) path_.clear();
    }
    ~RasterFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path dir_;
    std::filesystem::path path_;
};

// The saver's load: header, layout and the thinned heights.
void load(benchmark::State& state, const std::filesystem::path& path) {
    hg::TerrainBuffers buffers;
    for (auto _ : state) {
        hg::CViewSettings s;
        s.sizeMeshMaxX = s.sizeMeshMaxZ = 201;
        s.meshBlock = 1.0;
        s.yFactor = 1.0;
        hg::CGdalRaster mesh(buffers, s, path);
        mesh.open();
        mesh.layout();
        mesh.read();
        benchmark::DoNotOptimize(buffers.heights.data());
    }
}

void BM_GdalHgt3601Thinned(benchmark::State& state) {
    static const RasterFile file("N46E007.hgt", "SRTMHGT", 3601, 1.0 / 3600.0, {}, false);
    load(state, file.path());
}
BENCHMARK(BM_GdalHgt3601Thinned)->Unit(benchmark::kMillisecond);

void BM_GdalTiledTiff10000Thinned(benchmark::State& state) {
    const bool overviews = state.range(0) != 0;
    static const RasterFile plain("big.tif", "GTiff", 10000, 1.0 / 3600.0,
                                  {"TILED=YES", "COMPRESS=DEFLATE"}, false);
    static const RasterFile withOverviews("big_ovr.tif", "GTiff", 10000, 1.0 / 3600.0,
                                          {"TILED=YES", "COMPRESS=DEFLATE"}, true);
    load(state, overviews ? withOverviews.path() : plain.path());
}
BENCHMARK(BM_GdalTiledTiff10000Thinned)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("overviews")
    ->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A real sample read whole by GDAL in this process, beside ours
// (BM_UsgsDemReadSanFranciscoNorth): open, then every post. GDAL's SDTS
// reader follows the names in a catalogue to other files, so the safe
// opener has no such driver and there is no SDTS figure to set beside ours.
void gdalReadWhole(benchmark::State& state, const std::filesystem::path& path) {
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("shared sample not found");
        return;
    }
    std::vector<float> heights;
    for (auto _ : state) {
        hg::GdalDataset opened;
        try {
            opened = hg::openGdalRaster(path);
        } catch (const std::exception&) {
            state.SkipWithError("GDAL cannot open the sample");
            return;
        }
        GDALDatasetH ds = opened.get();
        const int w = GDALGetRasterXSize(ds), h = GDALGetRasterYSize(ds);
        heights.resize(static_cast<std::size_t>(w) * h);
        if (GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, 0, 0, w, h, heights.data(), w, h,
                         GDT_Float32, 0, 0) != CE_None) {
            state.SkipWithError("GDAL cannot read the sample");
        }
        benchmark::DoNotOptimize(heights.data());
    }
}

void BM_GdalReadsUsgsQuadSanFranciscoNorth(benchmark::State& state) {
    gdalReadWhole(state, std::filesystem::path(HG_SHARED_DATA) / "usgsdem/San_Fran_North.dem");
}
BENCHMARK(BM_GdalReadsUsgsQuadSanFranciscoNorth)->Unit(benchmark::kMillisecond);

}  // namespace
