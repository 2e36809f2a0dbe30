// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace hg {

// The title a raster is shown under: its own description or title when it
// has one, else its file name.
std::string gdalRasterTitle(const std::filesystem::path& source);

// Writes the raster `source` as a working file at `target`: its first band
// as a tiled, compressed GeoTIFF with overviews and its title kept, so the
// saver reads only the blocks it needs and never goes back to the original.
// The source is checked through the raster reader first. Throws
// std::runtime_error saying what is wrong; target may then hold a partial
// file, which the caller's commit discards.
void writeGdalWorkingFile(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace hg
