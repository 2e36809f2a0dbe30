// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the NTF height grid reader as a whole file, and
// to its title lookup.
#include <cstddef>
#include <cstdint>

#include "dem/os_dtm.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchFile scratch("os_dtm", ".ntf");
    const auto& path = scratch.hold(data, size);
    hgfuzz::load<hg::COSdtm>(path, hgfuzz::wholeGrid());
    hgfuzz::tolerateRefusal([&] { (void)hg::ntfTitle(path); });
    return 0;
}
