// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

#include "dem/import_progress.h"

namespace hg {

// The title a raster is shown under: its own description or title when it
// has one, else its file name.
std::string gdalRasterTitle(const std::filesystem::path& source);

// Writes the raster `source` as a working file at `target`: its first band
// as a tiled, compressed GeoTIFF with overviews and its title kept, so the
// saver reads only the blocks it needs and never goes back to the original.
// The source is checked through the raster reader first. Throws
// std::runtime_error saying what is wrong; target may then hold a partial
// file, which the caller's stage discards. The copy and its overviews go
// through GDAL's block cache piece by piece, so the memory used does not
// grow with the raster. progress hears the done fraction as the work goes
// (the copy the first half, the overviews the second) and may stop it by
// answering false or throwing; a stop throws ImportCancelled (or what
// progress threw) out of here.
void writeGdalWorkingFile(const std::filesystem::path& source, const std::filesystem::path& target,
                          const ImportProgress& progress = {});

}  // namespace hg
