// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "dem/gdal_open.h"
#include "dem/mesh.h"

namespace hg {

// Any elevation raster the GDAL library reads (GeoTIFF, SRTM .hgt, ESRI
// ASCII grids, DTED, ...): band 1, north up, georeferenced. Voids come from
// the band's no-data value, heights are scaled and offset as the band says
// and turned from feet into metres where its unit is feet.
class CGdalRaster final : public CMesh {
public:
    CGdalRaster(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName);
    ~CGdalRaster() override;

    // Opens through the safe opener; throws MessageError when the file is
    // refused, has no band, is rotated, not georeferenced or cannot be
    // placed on the globe.
    void open() override;
    void read() override;

    struct HeightSummary {
        float lowest = 0.0f, highest = 0.0f;  // both 0 when every post is void
        bool anyHeight = false;
        std::size_t voids = 0;
    };
    // The range and the void count of every post of the file, read a few
    // megabytes of rows at a time: never the whole grid at once.
    HeightSummary summarizeHeights();

private:
    float heightOf(double raw) const;

    GdalDataset data_;
    double scale_ = 1.0;
    double offset_ = 0.0;
    bool hasNoData_ = false;
    double noData_ = 0.0;
};

// A raw height of this magnitude or more is a void: formats write
// +-3.4e38 (the float limits) for "no data" without saying so.
inline constexpr double kVoidMagnitude = 1e30;

}  // namespace hg
