// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the GSI 10 m description (CSV header) reader.
#include <cstddef>
#include <cstdint>

#include "dem/read_gsi10m.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchFile scratch("gsi10m_csv", ".csv");
    const auto& path = scratch.hold(data, size);
    hg::CGSI10mInfo info;
    hgfuzz::tolerateRefusal([&] { hg::CReadGSI10m(path, info).readHeader(); });
    return 0;
}
