// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the GSI 10 m height reader as the working file,
// under a fixed description, whole at full resolution and thinned.
#include <cstddef>
#include <cstdint>

#include "dem/gsi10m.h"
#include "fuzz/fuzz_support.h"

namespace {

void readOnce(const std::filesystem::path& path, const hg::CViewSettings& settings) {
    hg::CGSI10mInfo info;
    info.nCols = 37;
    info.nRows = 23;
    info.disLong = 360.0;
    info.disLat = 220.0;
    hgfuzz::load<hg::CGSI10m>(path, settings, [&](hg::CGSI10m& mesh) { mesh.describe(info); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchFile scratch("gsi10m", ".dat");
    const auto& path = scratch.hold(data, size);
    readOnce(path, hgfuzz::wholeGrid());
    readOnce(path, hgfuzz::thinned(10, 2.0));
    return 0;
}
