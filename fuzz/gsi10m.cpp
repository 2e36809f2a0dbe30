// Feeds arbitrary bytes to the GSI 10 m height reader as the working file,
// under a fixed description, whole at full resolution and thinned.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/gsi10m.h"

namespace {

const std::filesystem::path& scratchFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("hg_fuzz_gsi10m_" + std::to_string(::getpid()) + ".dat");
    return path;
}

void readOnce(const std::filesystem::path& path, bool whole) {
    hg::CGSI10mInfo info;
    info.nCols = 37;
    info.nRows = 23;
    info.disLong = 360.0;
    info.disLat = 220.0;
    hg::TerrainBuffers draw;
    hg::CViewSettings settings;
    settings.yFactor = 1.0;
    if (whole) {
        settings.isPart = 1;
        settings.sizeMeshMaxX = settings.sizeMeshMaxZ = 20000;
        settings.meshBlock = 1.0;
    } else {
        settings.sizeMeshMaxX = 10;
        settings.sizeMeshMaxZ = 10;
        settings.meshBlock = 2.0;
    }
    try {
        hg::CGSI10m mesh(draw, settings, path);
        mesh.describe(info);
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
    return 0;
}
