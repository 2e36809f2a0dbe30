// SPDX-License-Identifier: MIT
#include "dem/gdal_import.h"

#include <cpl_error.h>
#include <gdal.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <stdexcept>
#include <vector>

#include "dem/gdal_open.h"
#include "dem/gdal_raster.h"
#include "dem/view_settings.h"
#include "platform/message_error.h"

namespace hg {

namespace {

std::string titleOf(GDALDatasetH ds, const std::filesystem::path& source) {
    for (const char* key : {"TIFFTAG_IMAGEDESCRIPTION", "TITLE", "title"}) {
        const char* value = GDALGetMetadataItem(ds, key, nullptr);
        if (value != nullptr && *value != '\0') return value;
    }
    return source.filename().string();
}

bool smallInteger(GDALDataType t) {
    return t == GDT_Byte || t == GDT_Int16 || t == GDT_UInt16;
}

// Rows per piece of the copy: about 8 MB of doubles, whatever the width.
int rowsPerPiece(int cols) {
    return std::max(1, static_cast<int>((8u << 20) / (static_cast<unsigned>(cols) * 8u)));
}

// GDAL's overview builder reports through a C callback: an exception must
// not cross it, so a stop is kept here and thrown once GDAL has returned.
struct OverviewProgress {
    const ImportProgress* progress;
    std::exception_ptr stopped;
};

int CPL_STDCALL onOverviewProgress(double done, const char*, void* arg) {
    auto* p = static_cast<OverviewProgress*>(arg);
    if (p->stopped) return FALSE;
    try {
        reportProgress(*p->progress, 0.5 + 0.5 * done);
        return TRUE;
    } catch (...) {
        p->stopped = std::current_exception();
        return FALSE;
    }
}

}  // namespace

std::string gdalRasterTitle(const std::filesystem::path& source) {
    try {
        GdalDataset ds = openGdalRaster(source);
        return titleOf(ds.get(), source);
    } catch (const MessageError&) {
        return source.filename().string();
    }
}

void writeGdalWorkingFile(const std::filesystem::path& source, const std::filesystem::path& target,
                          const ImportProgress& progress) {
    {
        // The same checks the saver will make: a file that would not draw
        // never becomes the working file.
        TerrainBuffers buffers;
        CViewSettings settings;
        CGdalRaster probe(buffers, settings, source);
        probe.open();
    }
    GdalDataset in = openGdalRaster(source);
    QuietGdal quiet;
    GDALRasterBandH from = GDALGetRasterBand(in.get(), 1);
    const int cols = GDALGetRasterXSize(in.get()), rows = GDALGetRasterYSize(in.get());
    const GDALDataType type = GDALGetRasterDataType(from);
    int has = 0;
    const double noData = GDALGetRasterNoDataValue(from, &has);

    // Small integers stay as they are (an SRTM tile packs well); anything
    // else becomes float, with every kind of void (NaN, the no-data value,
    // the float limits some writers use) written as one NaN the overviews
    // and the reader both skip.
    const bool keepType = smallInteger(type);
    const GDALDataType outType = keepType ? type : GDT_Float32;
    GdalDataset out =
        createGdalRaster("GTiff", target, cols, rows, outType,
                         {"TILED=YES", "COMPRESS=DEFLATE", "PREDICTOR=2", "BIGTIFF=IF_SAFER"});
    if (!out) throw MessageError(MessageId::WorkingFileWrite);
    GDALRasterBandH to = GDALGetRasterBand(out.get(), 1);
    double gt[6];
    GDALGetGeoTransform(in.get(), gt);
    GDALSetGeoTransform(out.get(), gt);
    GDALSetSpatialRef(out.get(), GDALGetSpatialRef(in.get()));
    GDALSetMetadataItem(out.get(), "TIFFTAG_IMAGEDESCRIPTION", titleOf(in.get(), source).c_str(),
                        nullptr);
    int hasScale = 0, hasOffset = 0;
    const double scale = GDALGetRasterScale(from, &hasScale);
    const double offset = GDALGetRasterOffset(from, &hasOffset);
    if (hasScale != 0) GDALSetRasterScale(to, scale);
    if (hasOffset != 0) GDALSetRasterOffset(to, offset);
    const char* unit = GDALGetRasterUnitType(from);
    if (unit != nullptr && *unit != '\0') GDALSetRasterUnitType(to, unit);
    if (keepType) {
        if (has != 0) GDALSetRasterNoDataValue(to, noData);
    } else {
        GDALSetRasterNoDataValue(to, std::numeric_limits<double>::quiet_NaN());
    }

    const int piece = std::min(rows, rowsPerPiece(cols));
    std::vector<double> buffer(static_cast<std::size_t>(cols) * static_cast<std::size_t>(piece));
    for (int r = 0; r < rows; r += piece) {
        const int n = std::min(piece, rows - r);
        if (GDALRasterIO(from, GF_Read, 0, r, cols, n, buffer.data(), cols, n, GDT_Float64, 0, 0) !=
            CE_None) {
            throw MessageError(MessageId::RasterReadFailed);
        }
        if (!keepType) {
            const std::size_t count = static_cast<std::size_t>(cols) * static_cast<std::size_t>(n);
            for (std::size_t i = 0; i < count; ++i) {
                double& v = buffer[i];
                if (!std::isfinite(v) || std::fabs(v) >= kVoidMagnitude ||
                    (has != 0 && v == noData))
                    v = std::numeric_limits<double>::quiet_NaN();
            }
        }
        if (GDALRasterIO(to, GF_Write, 0, r, cols, n, buffer.data(), cols, n, GDT_Float64, 0, 0) !=
            CE_None) {
            throw MessageError(MessageId::WorkingFileWrite);
        }
        reportProgress(progress, 0.5 * static_cast<double>(r + n) / rows);
    }
    // Overviews down to about 256 posts a side let a thinned load read
    // little more than it keeps.
    std::vector<int> levels;
    const int side = std::max(cols, rows);
    for (int f = 2; side / f >= 256; f *= 2) levels.push_back(f);
    OverviewProgress heard{&progress, nullptr};
    if (!levels.empty()) {
        const CPLErr built =
            GDALBuildOverviews(out.get(), "AVERAGE", static_cast<int>(levels.size()), levels.data(),
                               0, nullptr, onOverviewProgress, &heard);
        if (heard.stopped) std::rethrow_exception(heard.stopped);
        if (built != CE_None) throw MessageError(MessageId::WorkingFileWrite);
    }
    // Closing writes the rest of the file; a failure there is a failed copy.
    CPLErrorReset();
    out.reset();
    if (CPLGetLastErrorType() >= CE_Failure) throw MessageError(MessageId::WorkingFileWrite);
}

}  // namespace hg
