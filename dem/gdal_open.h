// SPDX-License-Identifier: MIT
#pragma once

#include <gdal.h>

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace hg {

// The one way into GDAL. A raster file comes from a stranger: GDAL's own
// drivers would follow names inside it to other files (a VRT's sources, a
// sidecar overview that is itself a VRT or a map-server description) and to
// the network. So the process registers only the drivers of plain local
// raster formats, turns every network path of GDAL and PROJ off, and opens
// only plain local files with a sidecar list of the format's own plain
// companions.

// The short names of the drivers the process registers.
std::span<const char* const> allowedGdalDrivers();

// Registers the allowed drivers and switches GDAL's network, auxiliary
// metadata files and PROJ's network off. Once per process; every function
// below calls it, so callers need not.
void prepareGdal();

struct GdalDatasetCloser {
    void operator()(void* h) const;
};
// A GDAL dataset closed when it goes.
using GdalDataset = std::unique_ptr<void, GdalDatasetCloser>;

// Opens `file` read-only as a raster, or throws MessageError saying why:
// not a plain local name (RasterNotPlainFile), not a regular file
// (RasterNotRegularFile), or no allowed driver reads it
// (RasterFormatRefused).
GdalDataset openGdalRaster(const std::filesystem::path& file);

// True when `file` is a plain local regular file that an allowed driver
// recognises as a raster.
bool gdalIdentifiesRaster(const std::filesystem::path& file);

// The writer side, for the importer, tests and benchmarks: a new raster
// through one of the allowed drivers (nullptr when it cannot be made).
GdalDataset createGdalRaster(const char* driver, const std::filesystem::path& file, int cols,
                             int rows, GDALDataType type,
                             const std::vector<std::string>& options = {});
// A copy of `source` through one of the allowed drivers.
GdalDataset copyGdalRaster(const char* driver, const std::filesystem::path& file,
                           GDALDatasetH source, const std::vector<std::string>& options = {});

// Keeps GDAL from printing its own errors while it lives: ours name the
// file and say what is wrong with it instead.
class QuietGdal {
public:
    QuietGdal();
    ~QuietGdal();
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

}  // namespace hg
