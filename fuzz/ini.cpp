// SPDX-License-Identifier: MIT
// Any bytes as the settings file: read, then one key changed. When the
// change is stored, reading it back must give what was written and leave
// every other key as it was; when the file was refused, it must be left
// byte for byte.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/profile_store.h"

namespace {
std::string contents(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > hgfuzz::kMaxInput) return 0;
    static const hgfuzz::ScratchDir scratch("ini");
    const std::filesystem::path path = scratch.path() / "Hillglimmer.ini";
    hgfuzz::writeBytes(path, data, size);
    hg::IniProfileStore store(path);
    const bool refused = store.unreadable().has_value();
    const std::string sel = store.getString("Hillglimmer", "sel", "<none>", 4096);
    const std::string other = store.getString("SDTS", "titl", "<none>", 4096);
    const int mesh = store.getInt("hillglimmer", "NUMMESH", -7);
    const bool stored = store.putString("Hillglimmer", "demType", "7");
    if (refused) {
        if (stored || contents(path) != std::string(reinterpret_cast<const char*>(data), size))
            __builtin_trap();
        return 0;
    }
    if (!stored) return 0;
    if (store.getString("Hillglimmer", "demType", "", 64) != "7" ||
        store.getString("Hillglimmer", "sel", "<none>", 4096) != sel ||
        store.getString("SDTS", "titl", "<none>", 4096) != other ||
        store.getInt("hillglimmer", "NUMMESH", -7) != mesh) {
        __builtin_trap();
    }
    return 0;
}
