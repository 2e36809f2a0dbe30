#include "config/dem_title.h"

#include "dem/mesh.h"
#include "platform/encoding.h"

#include "dem/fot_dhm25.h"
#include "dem/fot_rimini.h"
#include "dem/gdal_import.h"
#include "dem/gsi10m.h"
#include "dem/gsi50m.h"
#include "dem/os_dtm.h"
#include "dem/usgs1deg.h"
#include "dem/usgs75min.h"

namespace hg {

namespace {
std::string rawTitle(int demType, const std::filesystem::path& memPath, const ProfileStore& store) {
    switch (demType) {
        case kDemGsi50m:
            return sjisToUtf8(gsi50mTitle(memPath));
        case kDemUsgs:
            return usgsDemTitle(memPath);
        case kDemSdts75:
            return sdtsTitle(store);
        case kDemDhm25:
            return dhm25Title(memPath);
        case kDemNtf:
            return ntfTitle(memPath);
        case kDemRimini:
            return riminiTitle(memPath);
        case kDemGsi10m:
            return sjisToUtf8(gsi10mTitle(store));
        case kDemGdal:
            return gdalRasterTitle(memPath);
        default:
            return {};
    }
}
}  // namespace

std::string demTitle(int demType, const std::filesystem::path& memPath, const ProfileStore& store) {
    try {
        return rawTitle(demType, memPath, store);
    } catch (...) {
        // A title is a label: an unreadable file just shows none.
        return {};
    }
}

}  // namespace hg
