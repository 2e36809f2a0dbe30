#include "dem/fot_dhm25.h"
#include "dem/fot_rimini.h"
#include "dem/gdal_raster.h"
#include "dem/gsi10m.h"
#include "dem/gsi50m.h"
#include "dem/mesh.h"
#include "dem/os_dtm.h"
#include "dem/usgs1deg.h"
#include "dem/usgs75min.h"

namespace hg {

std::unique_ptr<CMesh> createMesh(TerrainBuffers& draw, CViewSettings& settings, int demType,
                                  const std::filesystem::path& path) {
    switch (demType) {
        case kDemUsgs:
            return std::make_unique<CUSGS1deg>(draw, settings, path);
        case kDemSdts75:
            return std::make_unique<CUSGS75min>(draw, settings, path);
        case kDemDhm25:
            return std::make_unique<CFOTdhm25>(draw, settings, path);
        case kDemNtf:
            return std::make_unique<COSdtm>(draw, settings, path);
        case kDemRimini:
            return std::make_unique<CFOTrimini>(draw, settings, path);
        case kDemGsi10m:
            return std::make_unique<CGSI10m>(draw, settings, path);
        case kDemGdal:
            return std::make_unique<CGdalRaster>(draw, settings, path);
        // Any other number reads as the GSI 50 m mesh, the original format.
        default:
            return std::make_unique<CGSI50m>(draw, settings, path);
    }
}

}  // namespace hg
