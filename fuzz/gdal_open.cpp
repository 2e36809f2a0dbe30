// SPDX-License-Identifier: MIT
// A raster and one companion file, as a stranger would hand them: the
// first byte picks the raster's name (and so the format GDAL tries first),
// the second the companion's (a .prj, an overview or metadata sidecar that
// may name other files), the next two the raster's length; the rest is the
// companion. Both go through the safe opener and the raster reader,
// thinned and as a small part window. Besides crashes, a read of anything
// but the scratch folder or a network path would be the fault: the opener
// must never reach them, whatever the files say.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dem/gdal_open.h"
#include "dem/gdal_raster.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4 || size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchDir scratch("gdal_open");
    const std::filesystem::path& dir = scratch.path();
    scratch.clear();
    static const char* const kNames[] = {"x.tif", "N46E007.hgt", "x.asc", "x.dt0",
                                         "x.img", "x.grd",       "x.bil", "x.dem",
                                         "x.vrt", "x.mem",       "x.flt", "N46E007.hgt.zip"};
    static const char* const kCompanions[] = {".prj", ".hdr", ".ige", ".ovr", ".aux.xml",
                                              ".aux", ".msk", ".tfw", ".rrd"};
    const std::string name = kNames[data[0] % std::size(kNames)];
    const std::string companionExt = kCompanions[data[1] % std::size(kCompanions)];
    std::size_t mainLength = static_cast<std::size_t>(data[2]) | (std::size_t{data[3]} << 8);
    data += 4;
    size -= 4;
    if (mainLength > size) mainLength = size;
    const std::filesystem::path file = dir / name;
    hgfuzz::writeBytes(file, data, mainLength);
    // Sidecars are found by the raster's whole name or by its stem.
    const std::string stem = std::filesystem::path(name).stem().string();
    const std::string companion =
        (companionExt == ".ovr" || companionExt == ".aux.xml" || companionExt == ".msk")
            ? name + companionExt
            : stem + companionExt;
    hgfuzz::writeBytes(dir / companion, data + mainLength, size - mainLength);

    hgfuzz::tolerateRefusal([&] { hg::GdalDataset ds = hg::openGdalRaster(file); });
    (void)hg::gdalIdentifiesRaster(file);
    hgfuzz::load<hg::CGdalRaster>(file, hgfuzz::thinned(48, 2.0));
    hgfuzz::load<hg::CGdalRaster>(file, hgfuzz::window(3, 2, 40, 30));
    return 0;
}
