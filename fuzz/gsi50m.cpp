// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the GSI 50 m reader, its title function and the
// sheet composer. The input is written to a file because all three read
// paths; for the composer its two halves become two neighbouring sheets.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "dem/gsi50m.h"
#include "dem/gsi50m_sheets.h"
#include "fuzz/fuzz_support.h"
#include "platform/profile_store.h"

namespace {

void put(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::filesystem::create_directories(path.parent_path());
    hgfuzz::writeBytes(path, data, size);
}

void readBothWays(const std::filesystem::path& path) {
    hgfuzz::load<hg::CGSI50m>(path, hgfuzz::thinned(201, 1.0));
    hgfuzz::load<hg::CGSI50m>(path, hgfuzz::window(3, 5, 40, 30));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchDir scratch("gsi50m");
    const std::filesystem::path& dir = scratch.path();
    const std::filesystem::path sheet = dir / "sheet.mem";
    put(sheet, data, size);
    readBothWays(sheet);
    (void)hg::gsi50mTitle(sheet);

    const std::size_t half = size / 2;
    put(dir / "data" / "5239" / "523940.mem", data, half);
    put(dir / "data" / "5239" / "523941.mem", data + half, size - half);
    const std::uint8_t index[] = "523940,W\n523941,E\n";
    put(dir / "zumei.csv", index, sizeof index - 1);
    hg::IniProfileStore store(dir / "Hillglimmer.ini");
    hgfuzz::tolerateRefusal([&] {
        hg::CGSI50mSheets sheets;
        sheets.loadIndex(dir / "zumei.csv");
        sheets.composeSheets({0, 1}, dir / "Hillglimmer.mem", store);
        hgfuzz::load<hg::CGSI50m>(dir / "Hillglimmer.mem", hgfuzz::thinned(201, 1.0));
    });
    return 0;
}
