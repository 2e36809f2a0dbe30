#include "config/dem_title.h"

#include "dem/mesh.h"
#include "platform/encoding.h"

#if __has_include("dem/gsi50m.h")
#include "dem/gsi50m.h"
#define HG_HAVE_GSI50M 1
#endif
#if __has_include("dem/usgs1deg.h")
#include "dem/usgs1deg.h"
#define HG_HAVE_USGS1DEG 1
#endif
#if __has_include("dem/usgs75min.h")
#include "dem/usgs75min.h"
#define HG_HAVE_USGS75MIN 1
#endif
#if __has_include("dem/fot_dhm25.h")
#include "dem/fot_dhm25.h"
#define HG_HAVE_DHM25 1
#endif
#if __has_include("dem/os_dtm.h")
#include "dem/os_dtm.h"
#define HG_HAVE_OSDTM 1
#endif
#if __has_include("dem/fot_rimini.h")
#include "dem/fot_rimini.h"
#define HG_HAVE_RIMINI 1
#endif
#if __has_include("dem/gsi10m.h")
#include "dem/gsi10m.h"
#define HG_HAVE_GSI10M 1
#endif

namespace hg {

namespace {
std::string rawTitle(int demType, const std::filesystem::path& memPath, const ProfileStore& store) {
    (void)memPath;
    (void)store;
    switch (demType) {
#ifdef HG_HAVE_GSI50M
        case kDemGsi50m: return sjisToUtf8(gsi50mTitle(memPath));
#endif
#ifdef HG_HAVE_USGS1DEG
        case kDemUsgs: return usgsDemTitle(memPath);
#endif
#ifdef HG_HAVE_USGS75MIN
        case kDemSdts75: return sdtsTitle(store);
#endif
#ifdef HG_HAVE_DHM25
        case kDemDhm25: return dhm25Title(memPath);
#endif
#ifdef HG_HAVE_OSDTM
        case kDemNtf: return ntfTitle(memPath);
#endif
#ifdef HG_HAVE_RIMINI
        case kDemRimini: return riminiTitle(memPath);
#endif
#ifdef HG_HAVE_GSI10M
        case kDemGsi10m: return sjisToUtf8(gsi10mTitle(store));
#endif
        default: return {};
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
