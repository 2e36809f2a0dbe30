#pragma once

#include <gdal.h>

#include <filesystem>

namespace hgtest {

// Writes `source` as a GeoTIFF at `target` through GDAL, as gdal_translate
// would; false when this GDAL cannot read the source or write the copy.
inline bool writeGeoTiffCopy(const std::filesystem::path& source,
                             const std::filesystem::path& target) {
    GDALAllRegister();
    GDALDatasetH in = GDALOpen(source.c_str(), GA_ReadOnly);
    if (in == nullptr) return false;
    GDALDatasetH out = GDALCreateCopy(GDALGetDriverByName("GTiff"), target.c_str(), in, FALSE,
                                      nullptr, nullptr, nullptr);
    GDALClose(in);
    if (out == nullptr) return false;
    GDALClose(out);
    return true;
}

}  // namespace hgtest
