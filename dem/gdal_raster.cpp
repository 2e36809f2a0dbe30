// SPDX-License-Identifier: MIT
#include "dem/gdal_raster.h"

#include <cpl_error.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "dem/geodesy.h"
#include "platform/file.h"
#include "platform/message_error.h"
#include "platform/text_number.h"

namespace hg {

namespace {

struct SpatialRef {
    OGRSpatialReferenceH h = nullptr;
    SpatialRef() = default;
    explicit SpatialRef(OGRSpatialReferenceH handle) : h(handle) {}
    ~SpatialRef() {
        if (h != nullptr) OSRDestroySpatialReference(h);
    }
    SpatialRef(const SpatialRef&) = delete;
    SpatialRef& operator=(const SpatialRef&) = delete;
};

struct Transform {
    OGRCoordinateTransformationH h = nullptr;
    explicit Transform(OGRCoordinateTransformationH handle) : h(handle) {}
    ~Transform() {
        if (h != nullptr) OCTDestroyCoordinateTransformation(h);
    }
    Transform(const Transform&) = delete;
    Transform& operator=(const Transform&) = delete;
};

// Metres per unit of a band whose heights are in `unit`: feet (survey or
// international) are turned into metres, anything else is taken as metres.
double heightUnitFactor(const char* unit) {
    const std::string u = asciiLower(unit != nullptr ? unit : "");
    if (u == "us-ft" || u == "us survey foot" || u == "ftus") return 1200.0 / 3937.0;
    if (u == "ft" || u == "foot" || u == "feet" || u == "international foot") return 0.3048;
    return 1.0;
}

}  // namespace

CGdalRaster::CGdalRaster(TerrainBuffers& draw, CViewSettings& settings,
                         std::filesystem::path fileName)
    : CMesh(draw, settings, std::move(fileName)) {}

CGdalRaster::~CGdalRaster() = default;

void CGdalRaster::open() {
    data_ = openGdalRaster(fileName);
    QuietGdal quiet;
    GDALDatasetH h = data_.get();
    if (GDALGetRasterCount(h) < 1) throw MessageError(MessageId::RasterNoBand);
    const int cols = GDALGetRasterXSize(h), rows = GDALGetRasterYSize(h);
    if (!plausibleGrid(cols, rows) || cols < 2 || rows < 2) {
        throw MessageError(MessageId::RasterGridSize);
    }
    double gt[6] = {0, 1, 0, 0, 0, 1};
    if (GDALGetGeoTransform(h, gt) != CE_None) {
        throw MessageError(MessageId::RasterNoGeoreference);
    }
    if (gt[2] != 0.0 || gt[4] != 0.0 || !(gt[1] > 0.0) || !(gt[5] < 0.0)) {
        throw MessageError(MessageId::RasterNotNorthUp);
    }

    GDALRasterBandH band = GDALGetRasterBand(h, 1);
    int has = 0;
    const double scale = GDALGetRasterScale(band, &has);
    scale_ = has != 0 ? scale : 1.0;
    const double offset = GDALGetRasterOffset(band, &has);
    offset_ = has != 0 ? offset : 0.0;
    const double unit = heightUnitFactor(GDALGetRasterUnitType(band));
    scale_ *= unit;
    offset_ *= unit;
    noData_ = GDALGetRasterNoDataValue(band, &has);
    hasNoData_ = has != 0;

    const char* described = GDALGetMetadataItem(h, "TIFFTAG_IMAGEDESCRIPTION", nullptr);
    title = described != nullptr && *described != '\0' ? described : fileName.filename().string();
    demCols = cols;
    demRows = rows;

    // The posts stand at the centres of the cells.
    const double west = gt[0] + 0.5 * gt[1], east = gt[0] + (cols - 0.5) * gt[1];
    const double north = gt[3] + 0.5 * gt[5], south = gt[3] + (rows - 0.5) * gt[5];

    const OGRSpatialReferenceH crs = GDALGetSpatialRef(h);
    if (crs == nullptr) throw MessageError(MessageId::RasterNotPlaceable);
    if (OSRIsGeographic(crs) != 0) {
        // Degrees (or whatever the angular unit is) to arc-seconds.
        const double toArcSec = OSRGetAngularUnits(crs, nullptr) * (180.0 / M_PI) * 3600.0;
        setBounds(west * toArcSec, south * toArcSec, east * toArcSec, north * toArcSec);
        const double dx = gt[1] * toArcSec, dy = -gt[5] * toArcSec;
        ewSpacingN = metresPerArcSecEW(0, nwY) * dx;
        ewSpacingS = metresPerArcSecEW(0, swY) * dx;
        nsSpacingN = metresPerArcSecNS(0, nwY) * dy;
        nsSpacingS = metresPerArcSecNS(0, swY) * dy;
    } else if (OSRIsProjected(crs) != 0) {
        SpatialRef wgs84(OSRNewSpatialReference(nullptr));
        OSRSetWellKnownGeogCS(wgs84.h, "WGS84");
        OSRSetAxisMappingStrategy(wgs84.h, OAMS_TRADITIONAL_GIS_ORDER);
        SpatialRef source(OSRClone(crs));
        OSRSetAxisMappingStrategy(source.h, OAMS_TRADITIONAL_GIS_ORDER);
        Transform toGeographic(OCTNewCoordinateTransformation(source.h, wgs84.h));
        if (toGeographic.h == nullptr) throw MessageError(MessageId::RasterNotPlaceable);
        double x[4] = {west, east, east, west}, y[4] = {south, south, north, north};
        int ok[4] = {0, 0, 0, 0};
        if (OCTTransformEx(toGeographic.h, 4, x, y, nullptr, ok) == 0 || !ok[0] || !ok[1] ||
            !ok[2] || !ok[3]) {
            throw MessageError(MessageId::RasterNotPlaceable);
        }
        swX = x[0] * 3600.0, swY = y[0] * 3600.0;
        seX = x[1] * 3600.0, seY = y[1] * 3600.0;
        neX = x[2] * 3600.0, neY = y[2] * 3600.0;
        nwX = x[3] * 3600.0, nwY = y[3] * 3600.0;
        const double metres = OSRGetLinearUnits(crs, nullptr);
        ewSpacingN = ewSpacingS = gt[1] * metres;
        nsSpacingN = nsSpacingS = -gt[5] * metres;
    } else {
        throw MessageError(MessageId::RasterNotPlaceable);
    }
    ewSpacing = (ewSpacingN + ewSpacingS) * 0.5;
    nsSpacing = (nsSpacingN + nsSpacingS) * 0.5;
    if (!std::isfinite(ewSpacing) || !std::isfinite(nsSpacing) || ewSpacing <= 0.0 ||
        nsSpacing <= 0.0) {
        throw MessageError(MessageId::DemSpacing);
    }
}

float CGdalRaster::heightOf(double raw) const {
    if (!std::isfinite(raw) || std::fabs(raw) >= kVoidMagnitude || (hasNoData_ && raw == noData_))
        return VOID_HEIGHT;
    // A scale can carry a sane raw value out of float's range.
    const double metres = raw * scale_ + offset_;
    return std::isfinite(metres) && std::fabs(metres) < kVoidMagnitude ? static_cast<float>(metres)
                                                                       : VOID_HEIGHT;
}

CGdalRaster::HeightSummary CGdalRaster::summarizeHeights() {
    if (!data_) open();
    QuietGdal quiet;
    GDALRasterBandH band = GDALGetRasterBand(data_.get(), 1);
    // Whole rows, about 8 MB of doubles at a time: the file's tiles pass
    // through GDAL's block cache once each.
    const std::size_t cols = static_cast<std::size_t>(demCols);
    const int piece = std::clamp(static_cast<int>((std::size_t{8} << 20) / (cols * 8)), 1, demRows);
    std::vector<double> rows(cols * static_cast<std::size_t>(piece));
    HeightSummary sum;
    float lo = std::numeric_limits<float>::max(), hi = -std::numeric_limits<float>::max();
    for (int r = 0; r < demRows; r += piece) {
        const int n = std::min(piece, demRows - r);
        if (GDALRasterIO(band, GF_Read, 0, r, demCols, n, rows.data(), demCols, n, GDT_Float64, 0,
                         0) != CE_None) {
            throw MessageError(MessageId::RasterReadFailed);
        }
        const std::size_t count = cols * static_cast<std::size_t>(n);
        for (std::size_t i = 0; i < count; ++i) {
            const float h = heightOf(rows[i]);
            if (h == VOID_HEIGHT) {
                ++sum.voids;
            } else {
                lo = std::min(lo, h);
                hi = std::max(hi, h);
            }
        }
    }
    sum.anyHeight = lo <= hi;
    if (sum.anyHeight) {
        sum.lowest = lo;
        sum.highest = hi;
    }
    return sum;
}

void CGdalRaster::read() {
    if (!data_) open();
    QuietGdal quiet;
    const SampleSelection pick = selection();
    std::vector<float>& out = draw->heights;
    out.assign(pick.total(), VOID_HEIGHT);
    if (pick.total() == 0) return;
    GDALRasterBandH band = GDALGetRasterBand(data_.get(), 1);
    const auto height = [this](double raw) { return heightOf(raw); };

    // A thinned picture of a file with overviews (the working file always
    // has them) samples block means, not single posts: output post (i, j)
    // is the mean of the step x step block whose north-west post is the one
    // the selection names, void only where no post of it is known. Where
    // the step is not a whole number of the nearest overview's cells, GDAL
    // weighs the cells the block cuts, so the mean is that of nearly the
    // block. The overviews are averages, so no read of the posts themselves
    // could come from them, and reading the posts means inflating every tile
    // of the file; the means cost a read of one small overview, and they are
    // the better picture of terrain seen from far off. A part, the whole DEM
    // and a file without overviews read the exact posts.
    const int step = thinStep;
    if (settings->isPart == 0 && step > 1 && GDALGetOverviewCount(band) > 0) {
        const int cols = pick.usedCols(), rows = pick.usedRows();
        std::vector<double> grid(pick.total());
        GDALRasterIOExtraArg extra;
        INIT_RASTERIO_EXTRA_ARG(extra);
        extra.eResampleAlg = GRIORA_Average;
        if (GDALRasterIOEx(band, GF_Read, 0, 0, cols * step, rows * step, grid.data(), cols, rows,
                           GDT_Float64, 0, 0, &extra) != CE_None) {
            throw MessageError(MessageId::RasterReadFailed);
        }
        for (std::size_t i = 0; i < grid.size(); ++i) out[i] = height(grid[i]);
        return;
    }

    // Only the stretch of each kept row between the first and the last
    // kept column is read.
    std::vector<int> keptCols;
    keptCols.reserve(static_cast<std::size_t>(pick.usedCols()));
    for (int c = 0; c < demCols; ++c) {
        if (pick.colSlot(c) == static_cast<int>(keptCols.size())) keptCols.push_back(c);
    }
    if (keptCols.empty()) return;
    const int first = keptCols.front();
    const int width = keptCols.back() - first + 1;
    std::vector<double> row(static_cast<std::size_t>(width));
    const std::size_t usedCols = static_cast<std::size_t>(pick.usedCols());
    for (int r = 0; r < demRows; ++r) {
        const int slot = pick.rowSlot(r);
        if (slot < 0) continue;
        if (GDALRasterIO(band, GF_Read, first, r, width, 1, row.data(), width, 1, GDT_Float64, 0,
                         0) != CE_None) {
            throw MessageError(MessageId::RasterReadFailed);
        }
        float* dst = out.data() + static_cast<std::size_t>(slot) * usedCols;
        for (std::size_t k = 0; k < keptCols.size(); ++k)
            dst[k] = height(row[static_cast<std::size_t>(keptCols[k] - first)]);
    }
}

}  // namespace hg
