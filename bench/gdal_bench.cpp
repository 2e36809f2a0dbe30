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
        GDALAllRegister();
        GDALDriverH drv = GDALGetDriverByName(driver);
        std::vector<char*> opts;
        for (auto& o : options) opts.push_back(o.data());
        opts.push_back(nullptr);
        GDALDatasetH ds = nullptr;
        const bool direct = std::string(driver) == "GTiff";
        GDALDatasetH mem = nullptr;
        if (direct) {
            ds = GDALCreate(drv, path_.c_str(), side, side, 1, GDT_Int16, opts.data());
        } else {
            mem = GDALCreate(GDALGetDriverByName("MEM"), "", side, side, 1, GDT_Int16, nullptr);
            ds = mem;
        }
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
        if (!direct) {
            GDALDatasetH out =
                GDALCreateCopy(drv, path_.c_str(), mem, FALSE, opts.data(), nullptr, nullptr);
            if (out) GDALClose(out);
        }
        GDALClose(ds);
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

// The real samples read whole by GDAL in this process, beside ours
// (BM_UsgsDemReadSanFranciscoNorth, BM_SdtsParse): open, then every post.
void gdalReadWhole(benchmark::State& state, const std::filesystem::path& path) {
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("shared sample not found");
        return;
    }
    GDALAllRegister();
    std::vector<float> heights;
    for (auto _ : state) {
        GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
        if (ds == nullptr) {
            state.SkipWithError("GDAL cannot open the sample");
            return;
        }
        const int w = GDALGetRasterXSize(ds), h = GDALGetRasterYSize(ds);
        heights.resize(static_cast<std::size_t>(w) * h);
        if (GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, 0, 0, w, h, heights.data(), w, h,
                         GDT_Float32, 0, 0) != CE_None) {
            state.SkipWithError("GDAL cannot read the sample");
        }
        benchmark::DoNotOptimize(heights.data());
        GDALClose(ds);
    }
}

void BM_GdalReadsUsgsQuadSanFranciscoNorth(benchmark::State& state) {
    gdalReadWhole(state, std::filesystem::path(HG_SHARED_DATA) / "usgsdem/San_Fran_North.dem");
}
BENCHMARK(BM_GdalReadsUsgsQuadSanFranciscoNorth)->Unit(benchmark::kMillisecond);

void BM_GdalReadsSdtsTransfer8821(benchmark::State& state) {
    gdalReadWhole(state, std::filesystem::path(HG_SHARED_DATA) / "sdts/8821/8821CATD.DDF");
}
BENCHMARK(BM_GdalReadsSdtsTransfer8821)->Unit(benchmark::kMillisecond);

}  // namespace
