// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the sheet index loader and everything a dialog
// asks of the entries it makes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "dem/gsi50m_sheets.h"
#include "fuzz/fuzz_support.h"
#include "platform/message_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchDir scratch("gsi50m-index");
    const std::filesystem::path& dir = scratch.path();
    const std::filesystem::path index = dir / "zumei.csv";
    hgfuzz::writeBytes(index, data, size);
    hg::CGSI50mSheets sheets;
    try {
        sheets.loadIndex(index);
    } catch (const hg::MessageError&) {
        return 0;
    }
    const int count = sheets.entryCount();
    for (int i = 0; i < count && i < 64; ++i) {
        (void)sheets.shownName(i);
        if (auto code = sheets.code(i)) {
            if (sheets.indexOfCode(*code).value_or(-1) > i) std::abort();
        }
        try {
            // Whatever the line holds, the path must stay below the index.
            std::filesystem::path p = sheets.sheetPath(i);
            if (p.lexically_relative(dir).string().rfind("data/", 0) != 0) std::abort();
        } catch (const hg::MessageError&) {
        }
    }
    return 0;
}
