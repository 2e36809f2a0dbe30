// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the DHM25 matrix reader as a whole file, at
// full resolution and thinned, and to its title lookup.
#include <cstddef>
#include <cstdint>

#include "dem/fot_dhm25.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchFile scratch("dhm25", ".mlt");
    const auto& path = scratch.hold(data, size);
    hgfuzz::load<hg::CFOTdhm25>(path, hgfuzz::wholeGrid());
    hgfuzz::load<hg::CFOTdhm25>(path, hgfuzz::thinned(201, 4.0));
    (void)hg::dhm25Title(path);
    return 0;
}
