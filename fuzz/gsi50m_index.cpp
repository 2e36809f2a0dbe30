// Feeds arbitrary bytes to the sheet index loader and everything a dialog
// asks of the entries it makes.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "dem/gsi50m_sheets.h"
#include "platform/message_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "fuzz-gsi50m-index-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return std::filesystem::path(pattern);
    }();
    const std::filesystem::path index = dir / "zumei.csv";
    {
        std::ofstream out(index, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
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
