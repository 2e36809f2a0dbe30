// SPDX-License-Identifier: MIT
// A whole transfer: the input is split into the nine module files the import
// reads (each a 4-byte little-endian length, then that many bytes; a module
// the input runs out before is missing), then imported and, when that
// succeeds, read back as the saver would.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>

#include "dem/read_sdts.h"
#include "dem/usgs75min.h"
#include "fuzz/fuzz_support.h"
#include "platform/profile_store.h"
#include "settings/dem_commit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchDir scratch("sdts");
    const std::filesystem::path& dir = scratch.path();
    scratch.clear();
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
        hgfuzz::writeBytes(dir / (std::string("FUZZ") + name + ".DDF"), data + at, n);
        at += n;
    }

    // The description goes to settings held in memory: an ini file written
    // and synced on every run cost most of the run, and the ini parser has
    // a target of its own.
    hg::IniProfileStore none(dir / "absent.ini");
    hg::StagedSettings store(none);
    const std::filesystem::path mem = dir / "Hillglimmer.mem";
    try {
        hg::importSdtsTransfer(dir / "FUZZCEL0.DDF", mem, store);
    } catch (const std::exception&) {
        return 0;
    }
    hgfuzz::load<hg::CUSGS75min>(mem, *std::make_unique<hg::CViewSettings>(),
                                 [&](hg::CUSGS75min& mesh) { mesh.openFrom(store); });
    return 0;
}
