// One module's bytes: open, descriptive record, then every subfield with
// its label and format, to the end of the file or the first failure.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "dem/iso8211/iso8211_reader.h"

namespace {

// The module file of this process, removed when the fuzzer exits.
struct ScratchFile {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("hg-fuzz-iso8211-" + std::to_string(::getpid()) + ".ddf");
    ~ScratchFile() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

const std::filesystem::path& modulePath() {
    static const ScratchFile file;
    return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(modulePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    hg::Iso8211Reader reader;
    hg::Iso8211Leader leader;
    if (!reader.openModule(modulePath(), "r", leader)) return 0;
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
