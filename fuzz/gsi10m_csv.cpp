// Feeds arbitrary bytes to the GSI 10 m description (CSV header) reader.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/read_gsi10m.h"

namespace {

const std::filesystem::path& scratchFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("hg_fuzz_gsi10m_csv_" + std::to_string(::getpid()) + ".csv");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& path = scratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    hg::CGSI10mInfo info;
    try {
        hg::CReadGSI10m(path, info).readHeader();
    } catch (const std::exception&) {
    }
    return 0;
}
