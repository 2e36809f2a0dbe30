// Feeds arbitrary bytes to the NTF height grid reader as a whole file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/os_dtm.h"

namespace {

const std::filesystem::path& scratchFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("hg_fuzz_os_dtm_" + std::to_string(::getpid()) + ".ntf");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& path = scratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    hg::TerrainBuffers draw;
    hg::CViewSettings settings;
    // The whole grid at full resolution, as the info command reads it.
    settings.isPart = 1;
    settings.sizeMeshMaxX = settings.sizeMeshMaxZ = 20000;
    settings.meshBlock = 1.0;
    try {
        hg::COSdtm mesh(draw, settings, path);
        mesh.open();
        mesh.layout();
        mesh.read();
        mesh.heightsToVertices();
        mesh.exportSettings();
    } catch (const std::exception&) {
    }
    try {
        (void)hg::ntfTitle(path);
    } catch (const std::exception&) {
    }
    return 0;
}
