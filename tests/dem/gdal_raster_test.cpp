// SPDX-License-Identifier: MIT
#include "dem/gdal_raster.h"
#include "dem/gdal_import.h"

#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "dem/geodesy.h"
#include "dem/usgs1deg.h"
#include "platform/message_error.h"
#include "support/gtiff_copy.h"
#include "support/mesh_read.h"
#include "support/test_support.h"

namespace {

using hgtest::MeshRead;
using hgtest::TempDir;

// Writes a raster with the GDAL API: heights h(row, column), north row
// first, in the given coordinate system, cell size and origin.
struct RasterSpec {
    const char* driver = "GTiff";
    int cols = 20, rows = 15;
    int epsg = 4326;
    double gt[6] = {7.0, 0.001, 0.0, 46.0, 0.0, -0.001};
    GDALDataType type = GDT_Float32;
    bool noData = false;
    double noDataValue = -9999.0;
    const char* unit = nullptr;
    double scale = 1.0, offset = 0.0;
};

double sampleHeight(double r, double c) {
    return 400.0 + 3.5 * c - 2.25 * r;
}

std::filesystem::path writeRaster(const std::filesystem::path& path, const RasterSpec& spec,
                                  const std::vector<std::pair<int, int>>& voids = {}) {
    // Other formats are made as a copy of a GeoTIFF: the process has no
    // in-memory driver.
    const bool direct = std::string(spec.driver) == "GTiff";
    std::filesystem::path scratch = path;
    scratch += ".src.tif";
    hg::GdalDataset made =
        hg::createGdalRaster("GTiff", direct ? path : scratch, spec.cols, spec.rows, spec.type);
    EXPECT_TRUE(made) << CPLGetLastErrorMsg();
    GDALDatasetH ds = made.get();
    double gt[6];
    std::copy(std::begin(spec.gt), std::end(spec.gt), gt);
    GDALSetGeoTransform(ds, gt);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, spec.epsg);
    GDALSetSpatialRef(ds, srs);
    OSRDestroySpatialReference(srs);
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    if (spec.noData) GDALSetRasterNoDataValue(band, spec.noDataValue);
    if (spec.unit) GDALSetRasterUnitType(band, spec.unit);
    if (spec.scale != 1.0) GDALSetRasterScale(band, spec.scale);
    if (spec.offset != 0.0) GDALSetRasterOffset(band, spec.offset);
    std::vector<double> values(static_cast<std::size_t>(spec.cols) * spec.rows);
    for (int r = 0; r < spec.rows; ++r)
        for (int c = 0; c < spec.cols; ++c)
            values[static_cast<std::size_t>(r) * spec.cols + c] =
                (sampleHeight(r, c) - spec.offset) / spec.scale;
    for (auto [r, c] : voids)
        values[static_cast<std::size_t>(r) * spec.cols + c] = spec.noDataValue;
    EXPECT_EQ(GDALRasterIO(band, GF_Write, 0, 0, spec.cols, spec.rows, values.data(), spec.cols,
                           spec.rows, GDT_Float64, 0, 0),
              CE_None);
    if (!direct) {
        EXPECT_TRUE(hg::copyGdalRaster(spec.driver, path, ds)) << CPLGetLastErrorMsg();
        made.reset();
        std::filesystem::remove(scratch);
    }
    return path;
}

TEST(GdalRaster, GeographicGeoTiffWithVoidsReadsEveryPostAndItsCorners) {
    TempDir dir;
    RasterSpec spec;
    spec.noData = true;
    const auto file = writeRaster(dir / "alps.tif", spec, {{0, 0}, {7, 11}});
    MeshRead<hg::CGdalRaster> read(file);
    const std::vector<float>& h = read.run();
    ASSERT_EQ(read.mesh.demCols, 20);
    ASSERT_EQ(read.mesh.demRows, 15);
    for (int r = 0; r < 15; ++r) {
        for (int c = 0; c < 20; ++c) {
            const float got = h[static_cast<std::size_t>(r) * 20 + c];
            if ((r == 0 && c == 0) || (r == 7 && c == 11)) {
                EXPECT_EQ(got, hg::VOID_HEIGHT) << r << " " << c;
            } else {
                EXPECT_FLOAT_EQ(got, static_cast<float>(sampleHeight(r, c))) << r << " " << c;
            }
        }
    }
    // Posts at the cell centres, in arc-seconds: 7.0005 E, 45.9855 to
    // 45.9995 N.
    EXPECT_NEAR(read.mesh.nwX, 7.0005 * 3600.0, 1e-6);
    EXPECT_NEAR(read.mesh.nwY, 45.9995 * 3600.0, 1e-6);
    EXPECT_NEAR(read.mesh.seX, 7.0195 * 3600.0, 1e-6);
    EXPECT_NEAR(read.mesh.seY, 45.9855 * 3600.0, 1e-6);
    EXPECT_NEAR(read.mesh.ewSpacingN, hg::metresPerArcSecEW(0, 45.9995 * 3600.0) * 3.6, 1e-9);
    EXPECT_NEAR(read.mesh.nsSpacingS, hg::metresPerArcSecNS(0, 45.9855 * 3600.0) * 3.6, 1e-9);
    EXPECT_EQ(read.mesh.title, "alps.tif");
}

TEST(GdalRaster, ProjectedFeetScaledAndThinnedReadsAsMetres) {
    TempDir dir;
    RasterSpec spec;
    spec.epsg = 32610;  // UTM 10 N
    spec.gt[0] = 545000.0, spec.gt[1] = 30.0, spec.gt[3] = 4185000.0, spec.gt[5] = -30.0;
    spec.type = GDT_Int16;
    spec.unit = "ft";
    spec.scale = 0.25;
    spec.offset = 100.0;
    spec.cols = 41, spec.rows = 33;
    const auto file = writeRaster(dir / "bay.tif", spec);
    MeshRead<hg::CGdalRaster> read(file);
    const std::vector<float>& h = read.run();
    ASSERT_EQ(h.size(), 41u * 33u);
    for (int r = 0; r < 33; ++r)
        for (int c = 0; c < 41; ++c)
            ASSERT_NEAR(h[static_cast<std::size_t>(r) * 41 + c], sampleHeight(r, c) * 0.3048, 1e-3)
                << r << " " << c;
    EXPECT_DOUBLE_EQ(read.mesh.ewSpacing, 30.0);
    EXPECT_DOUBLE_EQ(read.mesh.nsSpacing, 30.0);
    // 545015 E, 4184985 N in zone 10: 45 km east of 123 W is 0.512 degrees
    // there (scale 0.9996, cos 37.81); about 37.81 N.
    EXPECT_NEAR(read.mesh.nwX / 3600.0, -122.4886, 0.001);
    EXPECT_NEAR(read.mesh.nwY / 3600.0, 37.8099, 0.002);
    EXPECT_GT(read.mesh.neX, read.mesh.nwX);
    EXPECT_LT(read.mesh.swY, read.mesh.nwY);

    // Thinned by the one selection rule: every fourth post of both ways.
    MeshRead<hg::CGdalRaster> thin(file);
    thin.settings.isPart = 0;
    thin.settings.sizeMeshMaxX = thin.settings.sizeMeshMaxZ = 11;
    const std::vector<float>& t = thin.run();
    ASSERT_EQ(thin.settings.usedCols, 10);
    ASSERT_EQ(thin.settings.usedRows, 8);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 10; ++c)
            ASSERT_NEAR(t[static_cast<std::size_t>(r) * 10 + c],
                        sampleHeight(4 * r, 4 * c) * 0.3048, 1e-3);
}

TEST(GdalRaster, HgtAndAsciiGridsRead) {
    TempDir dir;
    // An SRTM tile: 1201 posts a side, 3 arc-seconds, named for its corner.
    RasterSpec hgt;
    hgt.driver = "SRTMHGT";
    hgt.type = GDT_Int16;
    hgt.cols = hgt.rows = 1201;
    hgt.gt[0] = 7.0 - 0.5 / 1200.0, hgt.gt[1] = 1.0 / 1200.0;
    hgt.gt[3] = 47.0 + 0.5 / 1200.0, hgt.gt[5] = -1.0 / 1200.0;
    const auto tile = writeRaster(dir / "N46E007.hgt", hgt);
    MeshRead<hg::CGdalRaster> read(tile);
    const std::vector<float>& h = read.run();
    ASSERT_EQ(h.size(), 1201u * 1201u);
    EXPECT_FLOAT_EQ(h[0], static_cast<float>(std::trunc(sampleHeight(0, 0))));
    EXPECT_FLOAT_EQ(h[1201u * 1201u - 1], static_cast<float>(std::trunc(sampleHeight(1200, 1200))));
    EXPECT_NEAR(read.mesh.swX, 7.0 * 3600.0, 1e-6);
    EXPECT_NEAR(read.mesh.nwY, 47.0 * 3600.0, 1e-6);

    RasterSpec grid;
    grid.driver = "AAIGrid";
    grid.gt[1] = grid.gt[5] * -1.0;
    const auto ascii = writeRaster(dir / "small.asc", grid);
    MeshRead<hg::CGdalRaster> a(ascii);
    const std::vector<float>& g = a.run();
    ASSERT_EQ(g.size(), 300u);
    EXPECT_NEAR(g[299], sampleHeight(14, 19), 1e-3);
}

TEST(GdalRaster, UnreadableRotatedOrBandlessFilesSayWhy) {
    TempDir dir;
    hgtest::writeFile(dir / "noise.tif", std::string(5000, 'x'));
    RasterSpec rotated;
    rotated.gt[2] = 0.0001;
    writeRaster(dir / "rotated.tif", rotated);
    for (auto [name, why] : {std::pair{"noise.tif", hg::MessageId::RasterFormatRefused},
                             {"rotated.tif", hg::MessageId::RasterNotNorthUp},
                             {"missing.tif", hg::MessageId::RasterNotRegularFile}}) {
        MeshRead<hg::CGdalRaster> read(dir / name);
        try {
            read.run();
            ADD_FAILURE() << name << " was read";
        } catch (const hg::MessageError& e) {
            EXPECT_EQ(e.id(), why) << name << ": " << e.what();
        }
    }
    EXPECT_FALSE(hg::gdalIdentifiesRaster(dir / "noise.tif"));
    EXPECT_TRUE(hg::gdalIdentifiesRaster(dir / "rotated.tif"));
}

TEST(GdalRaster, AUsgsSampleCopiedToGeoTiffReadsAsItsOwnReader) {
    const auto dem = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    HG_REQUIRE_SHARED(dem);
    TempDir dir;
    const auto tif = dir / "sf.tif";
    if (!hgtest::writeGeoTiffCopy(dem, tif))
        GTEST_SKIP() << "this GDAL does not read USGS DEMs or write GeoTIFF";
    MeshRead<hg::CUSGS1deg> own(dem);
    MeshRead<hg::CGdalRaster> viaGdal(tif);
    const std::vector<float>& a = own.run();
    const std::vector<float>& b = viaGdal.run();
    ASSERT_EQ(viaGdal.mesh.demCols, own.mesh.demCols);
    ASSERT_EQ(viaGdal.mesh.demRows, own.mesh.demRows);
    std::size_t differ = 0, voids = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        voids += a[i] == hg::VOID_HEIGHT;
        differ += a[i] != b[i];
    }
    EXPECT_EQ(differ, 0u);
    EXPECT_GT(voids, 0u);
}

}  // namespace

namespace {

// An ESRI ASCII grid of 600 x 520 posts with a no-data value.
RasterSpec asciiGridWithNoData() {
    RasterSpec spec;
    spec.driver = "AAIGrid";
    spec.cols = 600, spec.rows = 520;
    spec.noData = true;
    return spec;
}

TEST(GdalImport, TheWorkingCopyIsATiledGeoTiffThatReadsAsTheOriginal) {
    TempDir dir;
    const RasterSpec spec = asciiGridWithNoData();
    const auto source = writeRaster(dir / "valley.asc", spec, {{3, 4}, {500, 599}});
    const auto working = dir / "Hillglimmer.mem";
    hg::writeGdalWorkingFile(source, working);

    MeshRead<hg::CGdalRaster> original(source), copy(working);
    const std::vector<float>& a = original.run();
    const std::vector<float>& b = copy.run();
    EXPECT_EQ(a, b);
    EXPECT_EQ(b[3 * 600 + 4], hg::VOID_HEIGHT);
    EXPECT_EQ(copy.mesh.title, "valley.asc");
    EXPECT_DOUBLE_EQ(copy.mesh.nwX, original.mesh.nwX);
    EXPECT_DOUBLE_EQ(copy.mesh.seY, original.mesh.seY);

    hg::GdalDataset opened = hg::openGdalRaster(working);
    GDALDatasetH ds = opened.get();
    EXPECT_STREQ(GDALGetDriverShortName(GDALGetDatasetDriver(ds)), "GTiff");
    GDALRasterBandH band = GDALGetRasterBand(ds, 1);
    int blockX = 0, blockY = 0;
    GDALGetBlockSize(band, &blockX, &blockY);
    EXPECT_LT(blockY, 520) << "not tiled";
    EXPECT_GE(GDALGetOverviewCount(band), 1);

    // A file that is no raster is refused before anything is written.
    hgtest::writeFile(dir / "notes.txt", "not elevations\n");
    EXPECT_THROW(hg::writeGdalWorkingFile(dir / "notes.txt", dir / "other.mem"), hg::MessageError);
    EXPECT_FALSE(std::filesystem::exists(dir / "other.mem"));
}

}  // namespace

namespace {

// The working file has overviews: a thinned picture of it holds the means of
// the blocks the kept posts start, the whole DEM still every post as it is.
// The same raster without overviews keeps the exact posts when thinned.
TEST(GdalImport, AThinnedReadOfTheWorkingFileAveragesBlocksAndAWholeReadKeepsEveryPost) {
    TempDir dir;
    const RasterSpec spec = asciiGridWithNoData();
    // One whole block of the thinned picture is void, and one post of another.
    std::vector<std::pair<int, int>> voids = {{41, 81}};
    for (int r = 40; r < 44; ++r)
        for (int c = 120; c < 124; ++c) voids.emplace_back(r, c);
    const auto source = writeRaster(dir / "ridge.asc", spec, voids);
    const auto working = dir / "Hillglimmer.mem";
    hg::writeGdalWorkingFile(source, working);

    // Every fourth post: a whole number of the one overview's cells.
    auto thinned = [](const std::filesystem::path& file) {
        auto read = std::make_unique<MeshRead<hg::CGdalRaster>>(file);
        read->settings.isPart = 0;
        read->settings.sizeMeshMaxX = read->settings.sizeMeshMaxZ = 150;
        read->run();
        return read;
    };
    auto copy = thinned(working);
    ASSERT_EQ(copy->mesh.thinStep, 4);
    ASSERT_EQ(copy->settings.usedCols, 150);
    ASSERT_EQ(copy->settings.usedRows, 130);
    const std::vector<float>& a = copy->buffers.heights;
    for (int r = 0; r < 130; ++r) {
        for (int c = 0; c < 150; ++c) {
            const float got = a[static_cast<std::size_t>(r) * 150 + c];
            if (r == 10 && c == 30) {
                EXPECT_EQ(got, hg::VOID_HEIGHT);
            } else if (!(r == 10 && c == 20)) {
                // Heights are linear, so a block's mean is its centre's.
                ASSERT_NEAR(got, sampleHeight(4 * r + 1.5, 4 * c + 1.5), 1e-3) << r << " " << c;
            }
        }
    }
    EXPECT_NE(a[10 * 150 + 20], hg::VOID_HEIGHT);

    auto original = thinned(source);
    const std::vector<float>& b = original->buffers.heights;
    ASSERT_EQ(b.size(), 150u * 130u);
    EXPECT_FLOAT_EQ(b[129 * 150 + 149], static_cast<float>(sampleHeight(4 * 129, 4 * 149)));
    EXPECT_EQ(b[10 * 150 + 30], hg::VOID_HEIGHT);

    MeshRead<hg::CGdalRaster> whole(working), wholeOriginal(source);
    EXPECT_EQ(whole.run(), wholeOriginal.run());
}

}  // namespace
