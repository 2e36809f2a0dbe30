// SPDX-License-Identifier: MIT
#include "shell/bundled_terrain.h"

#include <stdexcept>

#include "dem/mesh.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "settings/dem_commit.h"
#include "settings/settings.h"

#ifdef HG_BUNDLED_TERRAIN
// The file goes into the program as it is, so the saver needs nothing
// installed beside it.
asm(".section .rodata\n"
    ".balign 16\n"
    ".global hg_bundled_terrain_begin\n"
    "hg_bundled_terrain_begin:\n"
    ".incbin \"" HG_BUNDLED_TERRAIN
    "\"\n"
    ".global hg_bundled_terrain_end\n"
    "hg_bundled_terrain_end:\n"
    ".previous\n");
extern "C" const char hg_bundled_terrain_begin[];
extern "C" const char hg_bundled_terrain_end[];
#endif

namespace hg {

std::string_view bundledTerrain() {
#ifdef HG_BUNDLED_TERRAIN
    return std::string_view(
        hg_bundled_terrain_begin,
        static_cast<std::size_t>(hg_bundled_terrain_end - hg_bundled_terrain_begin));
#else
    return {};
#endif
}

bool installBundledTerrainIfFirstRun(const std::filesystem::path& memPath, ProfileStore& store) {
    std::string_view terrain = bundledTerrain();
    if (terrain.empty()) {
        recoverDemCommit(memPath, store);
        return false;
    }
    try {
        // Staging finishes an interrupted change first, so "first run" is
        // judged on a whole state; the commit judges it again under the
        // lock, as a select may have committed while the terrain was staged.
        return commitDemChange(
            memPath, store,
            [&](const DemStaging& staging) {
                std::error_code ec;
                if (std::filesystem::exists(memPath, ec)) return false;
                if (staging.settings.getString(kSection, key::demType, "", 32) != "") return false;
                if (!replaceFileAtomically(staging.file, [&](int fd) {
                        return writeAll(fd, terrain.data(), terrain.size());
                    })) {
                    throw std::runtime_error(
                        formatMessage(MessageId::CannotWriteFile, {memPath.string()}));
                }
                writeDemType(staging.settings, kDemUsgs);
                return true;
            },
            CommitWhen::FirstRun);
    } catch (const std::exception&) {
        // A full disk at start-up: try again at the next start.
        return false;
    }
}

}  // namespace hg
