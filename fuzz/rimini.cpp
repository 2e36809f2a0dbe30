// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the RIMINI reader as a whole file, whole and
// through a part window, and to its title lookup.
#include <cstddef>
#include <cstdint>

#include "dem/fot_rimini.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchFile scratch("rimini", ".dat");
    const auto& path = scratch.hold(data, size);
    hgfuzz::load<hg::CFOTrimini>(path, hgfuzz::thinned(201, 1.0));
    hgfuzz::load<hg::CFOTrimini>(path, hgfuzz::window(20, 10, 30, 20));
    hgfuzz::tolerateRefusal([&] { (void)hg::riminiTitle(path); });
    return 0;
}
