// Feeds arbitrary bytes to the DHM25 matrix reader as a whole file, at
// full resolution and thinned, and to its title lookup.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/fot_dhm25.h"

namespace {

const std::filesystem::path& scratchFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("hg_fuzz_dhm25_" + std::to_string(::getpid()) + ".mlt");
    return path;
}

void readOnce(const std::filesystem::path& path, bool whole) {
    hg::TerrainBuffers draw;
    hg::CViewSettings settings;
    settings.yFactor = 1.0;
    if (whole) {
        settings.isPart = 1;
        settings.sizeMeshMaxX = settings.sizeMeshMaxZ = 20000;
        settings.meshBlock = 1.0;
    }
    try {
        hg::CFOTdhm25 mesh(draw, settings, path);
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
    readOnce(path, true);
    readOnce(path, false);
    (void)hg::dhm25Title(path);
    return 0;
}
