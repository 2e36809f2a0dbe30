// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the USGS DEM reader as a whole file, read both
// at full resolution and thinned, and to its title function.
#include <cstddef>
#include <cstdint>

#include "dem/usgs1deg.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchFile scratch("usgs1deg", ".dem");
    const auto& path = scratch.hold(data, size);
    hgfuzz::load<hg::CUSGS1deg>(path, hgfuzz::wholeGrid());
    hgfuzz::load<hg::CUSGS1deg>(path, hgfuzz::thinned(7, 2.0));
    hgfuzz::tolerateRefusal([&] { (void)hg::usgsDemTitle(path); });
    return 0;
}
