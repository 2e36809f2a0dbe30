// SPDX-License-Identifier: MIT
#include "dem/formats.h"

#include "dem/fot_dhm25.h"
#include "dem/fot_rimini.h"
#include "dem/gdal_import.h"
#include "dem/gdal_raster.h"
#include "dem/gsi10m.h"
#include "dem/gsi50m.h"
#include "dem/os_dtm.h"
#include "dem/usgs1deg.h"
#include "dem/usgs75min.h"
#include "platform/encoding.h"
#include "platform/file.h"

namespace hg {

namespace {

// Readers that need nothing but their file.
template <typename Reader>
std::unique_ptr<CMesh> fileReader(TerrainBuffers& draw, CViewSettings& settings,
                                  const std::filesystem::path& path, const ProfileStore*) {
    return std::make_unique<Reader>(draw, settings, path);
}

// Readers of an import, which finds its description in the settings.
template <typename Reader>
std::unique_ptr<CMesh> importReader(TerrainBuffers& draw, CViewSettings& settings,
                                    const std::filesystem::path& path, const ProfileStore* store) {
    return std::make_unique<Reader>(draw, settings, path, store);
}

const DemFormat kFormats[] = {
    {kDemGsi50m,
     MessageId::FormatGsi50m,
     {".mem"},
     DemAction::Copy,
     fileReader<CGSI50m>,
     [](const std::filesystem::path& f, const ProfileStore&) { return sjisToUtf8(gsi50mTitle(f)); },
     1},
    {kDemUsgs,
     MessageId::FormatUsgsDem,
     {".dem"},
     DemAction::Copy,
     fileReader<CUSGS1deg>,
     [](const std::filesystem::path& f, const ProfileStore&) { return usgsDemTitle(f); },
     3},
    {kDemSdts75,
     MessageId::FormatSdts,
     {".ddf"},
     DemAction::SdtsImport,
     importReader<CUSGS75min>,
     [](const std::filesystem::path&, const ProfileStore& s) { return sdtsTitle(s); },
     4},
    {kDemDhm25,
     MessageId::FormatDhm25,
     {".mlt", ".mat"},
     DemAction::Copy,
     fileReader<CFOTdhm25>,
     [](const std::filesystem::path& f, const ProfileStore&) { return dhm25Title(f); },
     5},
    {kDemNtf,
     MessageId::FormatNtf,
     {".ntf"},
     DemAction::Copy,
     fileReader<COSdtm>,
     [](const std::filesystem::path& f, const ProfileStore&) { return ntfTitle(f); },
     6},
    {kDemRimini,
     MessageId::FormatRimini,
     {".dat"},
     DemAction::Copy,
     fileReader<CFOTrimini>,
     [](const std::filesystem::path& f, const ProfileStore&) { return riminiTitle(f); },
     1},
    {kDemGsi10m,
     MessageId::FormatGsi10m,
     {".csv"},
     DemAction::Gsi10mImport,
     importReader<CGSI10m>,
     [](const std::filesystem::path&, const ProfileStore& s) { return sjisToUtf8(gsi10mTitle(s)); },
     2},
    {kDemGdal,
     MessageId::FormatGdal,
     // A .vrt is named so that its refusal is the raster opener's, not the
     // GSI 50 m reader's puzzled one.
     {".tif", ".tiff", ".hgt", ".asc", ".dt0", ".dt1", ".dt2", ".img", ".vrt"},
     DemAction::GdalImport,
     fileReader<CGdalRaster>,
     [](const std::filesystem::path& f, const ProfileStore&) { return gdalRasterTitle(f); },
     7},
};

const DemFormat* formatOfExtension(const std::filesystem::path& file) {
    const std::string ext = asciiLower(file.extension().string());
    for (const DemFormat& f : kFormats) {
        for (const char* e : f.extensions) {
            if (e != nullptr && ext == e) return &f;
        }
    }
    return nullptr;
}

}  // namespace

std::span<const DemFormat> demFormats() {
    return kFormats;
}

const DemFormat& demFormat(int demType) {
    for (const DemFormat& f : kFormats) {
        if (f.type == demType) return f;
    }
    return kFormats[0];
}

bool readsAsGsi50m(const std::filesystem::path& file) {
    try {
        TerrainBuffers buffers;
        CViewSettings settings;
        // The whole grid at full resolution: even a small sheet is one.
        settings.isPart = 1;
        settings.sizeMeshMaxX = settings.sizeMeshMaxZ = kMaxGridSide;
        settings.meshBlock = 1.0;
        CGSI50m mesh(buffers, settings, file);
        mesh.withVertices = false;
        mesh.open();
        mesh.layout();
        mesh.read();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int demTypeOf(const std::filesystem::path& file) {
    if (const DemFormat* f = formatOfExtension(file)) return f->type;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return kDemGsi50m;
    // Our own reader first: GDAL also identifies GSI 50 m files, and would
    // make a GeoTIFF copy of what our reader takes as it is.
    if (readsAsGsi50m(file)) return kDemGsi50m;
    return gdalIdentifiesRaster(file) ? kDemGdal : kDemGsi50m;
}

std::unique_ptr<CMesh> createMesh(TerrainBuffers& draw, CViewSettings& settings, int demType,
                                  const std::filesystem::path& path, const ProfileStore* store) {
    return demFormat(demType).make(draw, settings, path, store);
}

}  // namespace hg
