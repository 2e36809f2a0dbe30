// Feeds arbitrary bytes to the RIMINI reader as a whole file, whole and
// through a part window, and to its title lookup.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/fot_rimini.h"

namespace {

const std::filesystem::path& scratchFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("hg_fuzz_rimini_" + std::to_string(::getpid()) + ".dat");
    return path;
}

void readOnce(const std::filesystem::path& path, bool window) {
    hg::TerrainBuffers draw;
    hg::CViewSettings settings;
    settings.yFactor = 1.0;
    settings.meshBlock = 1.0;
    if (window) {
        settings.isPart = 1;
        settings.startX = 20;
        settings.startZ = 10;
        settings.sizeMeshMaxX = 30;
        settings.sizeMeshMaxZ = 20;
    }
    try {
        hg::CFOTrimini mesh(draw, settings, path);
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
    readOnce(path, false);
    readOnce(path, true);
    try {
        (void)hg::riminiTitle(path);
    } catch (const std::exception&) {
    }
    return 0;
}
