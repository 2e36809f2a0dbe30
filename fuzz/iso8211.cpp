// SPDX-License-Identifier: MIT
// One module's bytes: open, descriptive record, then every subfield with
// its label and format, to the end of the file or the first failure.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dem/iso8211/iso8211_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchFile scratch("iso8211", ".ddf");
    const auto& path = scratch.hold(data, size);
    hg::Iso8211Reader reader;
    hg::Iso8211Leader leader;
    if (!reader.openModule(path, "r", leader)) return 0;
    std::string ddr;
    int status = 0;
    if (!reader.readDescriptiveRecord(ddr, status)) return 0;
    hg::Iso8211Subfield subfield;
    hg::Iso8211SubfieldInfo info;
    while (reader.readSubfield(subfield)) {
        reader.checkSubfield(subfield.tag, info);
        if (subfield.length != subfield.value.size()) __builtin_trap();
        if (subfield.status == hg::kIsoEndOfFile) break;
    }
    // Calls after the end must keep failing.
    if (reader.readSubfield(subfield)) __builtin_trap();
    return 0;
}
