// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <stdexcept>

#include "dem/gdal_open.h"

namespace hgtest {

// Writes `source` as a GeoTIFF at `target` through GDAL's own reader of its
// format, as gdal_translate would; false when no allowed reader takes the
// source or the copy cannot be written.
inline bool writeGeoTiffCopy(const std::filesystem::path& source,
                             const std::filesystem::path& target) {
    try {
        hg::GdalDataset in = hg::openGdalRaster(source);
        return static_cast<bool>(hg::copyGdalRaster("GTiff", target, in.get()));
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace hgtest
