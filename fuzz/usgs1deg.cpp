// Feeds arbitrary bytes to the USGS DEM reader as a whole file, read both
// at full resolution and thinned, and to its title function.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/usgs1deg.h"

namespace {

const std::filesystem::path& scratchFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("hg_fuzz_usgs1deg_" + std::to_string(::getpid()) + ".dem");
    return path;
}

void readAll(const std::filesystem::path& path, bool whole) {
    hg::TerrainBuffers draw;
    hg::CViewSettings settings;
    settings.isPart = whole ? 1 : 0;
    settings.sizeMeshMaxX = settings.sizeMeshMaxZ = whole ? 20000 : 7;
    settings.meshBlock = whole ? 1.0 : 2.0;
    settings.yFactor = 1.0;
    try {
        hg::CUSGS1deg mesh(draw, settings, path);
        mesh.open();
        mesh.layout();
        mesh.read();
        mesh.heightsToVertices();
        mesh.exportSettings();
    } catch (const std::exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& path = scratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    readAll(path, true);
    readAll(path, false);
    try {
        (void)hg::usgsDemTitle(path);
    } catch (const std::exception&) {
    }
    return 0;
}
