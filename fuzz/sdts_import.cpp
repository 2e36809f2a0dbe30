// A whole transfer: the input is split into the nine module files the import
// reads (each a 4-byte little-endian length, then that many bytes; a module
// the input runs out before is missing), then imported and, when that
// succeeds, read back as the saver would.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "dem/mesh.h"
#include "dem/read_sdts.h"
#include "dem/usgs75min.h"
#include "dem/view_settings.h"
#include "platform/profile_store.h"

namespace {

const std::filesystem::path& transferDir() {
    static const std::filesystem::path dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("hg-fuzz-sdts-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& dir = transferDir();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        std::filesystem::remove(entry.path(), ec);
    }
    static const char* const kModules[] = {"DDOM", "DDSH", "IDEN", "IREF", "LDEF",
                                           "RSDF", "SPDM", "XREF", "CEL0"};
    std::size_t at = 0;
    for (const char* name : kModules) {
        if (size - at < 4) break;
        std::size_t n = static_cast<std::size_t>(data[at]) |
                        (static_cast<std::size_t>(data[at + 1]) << 8) |
                        (static_cast<std::size_t>(data[at + 2]) << 16) |
                        (static_cast<std::size_t>(data[at + 3]) << 24);
        at += 4;
        if (n > size - at) n = size - at;
        std::ofstream out(dir / (std::string("FUZZ") + name + ".DDF"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(data + at), static_cast<std::streamsize>(n));
        at += n;
    }

    hg::IniProfileStore store(dir / "Hillglimmer.ini");
    const std::filesystem::path mem = dir / "Hillglimmer.mem";
    try {
        hg::importSdtsTransfer(dir / "FUZZCEL0.DDF", mem, store);
    } catch (const std::exception&) {
        return 0;
    }
    hg::TerrainBuffers buffers;
    auto settings = hg::createViewSettings(hg::kDrawMesh);
    hg::CUSGS75min mesh(buffers, *settings, mem);
    try {
        mesh.openFrom(store);
        mesh.layout();
        mesh.read();
        mesh.heightsToVertices();
    } catch (const std::exception&) {
    }
    return 0;
}
