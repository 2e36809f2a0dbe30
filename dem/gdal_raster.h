#pragma once

#include <filesystem>
#include <memory>
#include <string>

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

    // Throws MessageError-like runtime errors naming the file when GDAL
    // cannot open it, it has no band, it is rotated or not georeferenced.
    void open() override;
    void read() override;

private:
    struct Dataset;
    std::unique_ptr<Dataset> data_;
    double scale_ = 1.0;
    double offset_ = 0.0;
    bool hasNoData_ = false;
    double noData_ = 0.0;
};

// Keeps GDAL from printing its own errors while it lives: ours name the
// file and say what is wrong with it instead.
class QuietGdal {
public:
    QuietGdal();
    ~QuietGdal();
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

// True when GDAL recognises the file as a raster it can open.
bool gdalIdentifiesRaster(const std::filesystem::path& path);

}  // namespace hg
