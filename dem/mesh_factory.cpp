#include <stdexcept>

#include "dem/mesh.h"

// Readers join the factory as they are built; a type whose reader is missing
// from this build says so instead of reading the file as something else.
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
[[noreturn]] void notAvailable(const char* what) {
    throw std::runtime_error(std::string("Reading ") + what +
                             " is not available in this version of Hillglimmer yet.");
}
}  // namespace

std::unique_ptr<CMesh> createMesh(TerrainBuffers& draw, CViewSettings& settings, int demType,
                                  const std::filesystem::path& path) {
    // Unused while some readers are missing from the build.
    (void)draw;
    (void)settings;
    (void)path;
    switch (demType) {
        case kDemUsgs:
#ifdef HG_HAVE_USGS1DEG
            return std::make_unique<CUSGS1deg>(draw, settings, path);
#else
            notAvailable("USGS DEM files");
#endif
        case kDemSdts75:
#ifdef HG_HAVE_USGS75MIN
            return std::make_unique<CUSGS75min>(draw, settings, path);
#else
            notAvailable("USGS 7.5-minute SDTS DEMs");
#endif
        case kDemDhm25:
#ifdef HG_HAVE_DHM25
            return std::make_unique<CFOTdhm25>(draw, settings, path);
#else
            notAvailable("DHM25 matrices");
#endif
        case kDemNtf:
#ifdef HG_HAVE_OSDTM
            return std::make_unique<COSdtm>(draw, settings, path);
#else
            notAvailable("OS NTF DTMs");
#endif
        case kDemRimini:
#ifdef HG_HAVE_RIMINI
            return std::make_unique<CFOTrimini>(draw, settings, path);
#else
            notAvailable("RIMINI matrices");
#endif
        case kDemGsi10m:
#ifdef HG_HAVE_GSI10M
            return std::make_unique<CGSI10m>(draw, settings, path);
#else
            notAvailable("GSI 10 m mesh DEMs");
#endif
        default:
#ifdef HG_HAVE_GSI50M
            return std::make_unique<CGSI50m>(draw, settings, path);
#else
            notAvailable("GSI 50 m mesh DEMs");
#endif
    }
}

}  // namespace hg
