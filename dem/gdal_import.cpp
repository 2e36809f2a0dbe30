#include "dem/gdal_import.h"

#include <cpl_error.h>
#include <gdal.h>
#include <gdal_utils.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "dem/gdal_raster.h"
#include "dem/view_settings.h"

namespace hg {

namespace {

struct DatasetCloser {
    void operator()(void* h) const {
        if (h != nullptr) GDALClose(static_cast<GDALDatasetH>(h));
    }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

struct TranslateOptions {
    GDALTranslateOptions* h = nullptr;
    explicit TranslateOptions(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        h = GDALTranslateOptionsNew(argv.data(), nullptr);
    }
    ~TranslateOptions() {
        if (h != nullptr) GDALTranslateOptionsFree(h);
    }
    TranslateOptions(const TranslateOptions&) = delete;
    TranslateOptions& operator=(const TranslateOptions&) = delete;
};

std::string lastGdalError() {
    const std::string why = CPLGetLastErrorMsg();
    return why.empty() ? std::string() : " (" + why + ")";
}

}  // namespace

std::string gdalRasterTitle(const std::filesystem::path& source) {
    QuietGdal quiet;
    Dataset ds(
        GDALOpenEx(source.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (ds) {
        for (const char* key : {"TIFFTAG_IMAGEDESCRIPTION", "TITLE", "title"}) {
            const char* value = GDALGetMetadataItem(ds.get(), key, nullptr);
            if (value != nullptr && *value != '\0') return value;
        }
    }
    return source.filename().string();
}

void writeGdalWorkingFile(const std::filesystem::path& source,
                          const std::filesystem::path& target) {
    {
        // The same checks the saver will make: a file that would not draw
        // never becomes the working file.
        TerrainBuffers buffers;
        CViewSettings settings;
        CGdalRaster probe(buffers, settings, source);
        probe.open();
    }
    const std::string title = gdalRasterTitle(source);
    QuietGdal quiet;
    Dataset in(
        GDALOpenEx(source.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!in) throw std::runtime_error("The raster cannot be opened" + lastGdalError() + ".");
    TranslateOptions options({"-of", "GTiff", "-b", "1", "-co", "TILED=YES", "-co",
                              "COMPRESS=DEFLATE", "-co", "PREDICTOR=2", "-co", "BIGTIFF=IF_SAFER",
                              "-mo", "TIFFTAG_IMAGEDESCRIPTION=" + title});
    if (options.h == nullptr) throw std::runtime_error("GDAL refused the copy's options.");
    int usageError = 0;
    Dataset out(GDALTranslate(target.c_str(), in.get(), options.h, &usageError));
    if (!out || usageError != 0) {
        throw std::runtime_error("The raster cannot be copied" + lastGdalError() + ".");
    }
    // Overviews down to about 256 posts a side let a thinned load read
    // little more than it keeps.
    std::vector<int> levels;
    const int side = std::max(GDALGetRasterXSize(out.get()), GDALGetRasterYSize(out.get()));
    for (int f = 2; side / f >= 256; f *= 2) levels.push_back(f);
    if (!levels.empty() &&
        GDALBuildOverviews(out.get(), "AVERAGE", static_cast<int>(levels.size()), levels.data(), 0,
                           nullptr, nullptr, nullptr) != CE_None) {
        throw std::runtime_error("The raster's overviews cannot be built" + lastGdalError() + ".");
    }
    // Closing writes the rest of the file; a failure there is a failed copy.
    CPLErrorReset();
    out.reset();
    if (CPLGetLastErrorType() >= CE_Failure) {
        throw std::runtime_error("The raster cannot be written" + lastGdalError() + ".");
    }
}

}  // namespace hg
