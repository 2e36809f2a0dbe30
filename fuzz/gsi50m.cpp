// Feeds arbitrary bytes to the GSI 50 m reader, its title function and the
// sheet composer. The input is written to a file because all three read
// paths; for the composer its two halves become two neighbouring sheets.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/gsi50m.h"
#include "dem/gsi50m_sheets.h"

namespace {

std::filesystem::path workDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-gsi50m-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

void put(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void readAs(const std::filesystem::path& path, int isPart) {
    hg::TerrainBuffers buffers;
    hg::CViewSettings settings;
    settings.meshBlock = 1.0;
    settings.isPart = isPart;
    settings.startX = 3;
    settings.startZ = 5;
    settings.sizeMeshMaxX = isPart ? 40 : 201;
    settings.sizeMeshMaxZ = isPart ? 30 : 201;
    hg::CGSI50m mesh(buffers, settings, path);
    try {
        mesh.open();
        mesh.layout();
        mesh.read();
    } catch (const std::exception&) {
        // Refusing the input is fine; crashing is not.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path dir = workDir();
    const std::filesystem::path sheet = dir / "sheet.mem";
    put(sheet, data, size);
    readAs(sheet, 0);
    readAs(sheet, 1);
    (void)hg::gsi50mTitle(sheet);

    const std::size_t half = size / 2;
    put(dir / "data" / "5239" / "523940.mem", data, half);
    put(dir / "data" / "5239" / "523941.mem", data + half, size - half);
    const std::uint8_t index[] = "523940,W\n523941,E\n";
    put(dir / "zumei.csv", index, sizeof index - 1);
    hg::IniProfileStore store(dir / "Hillglimmer.ini");
    try {
        hg::CGSI50mSheets sheets;
        sheets.loadIndex(dir / "zumei.csv");
        sheets.composeSheets({0, 1}, dir / "Hillglimmer.mem", store);
        readAs(dir / "Hillglimmer.mem", 0);
    } catch (const std::exception&) {
    }
    return 0;
}
