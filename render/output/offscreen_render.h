// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile_store.h"
#include "render/draw.h"

namespace hg {

struct OffscreenRenderRequest {
    // The style; the settings key "sel" when unset.
    std::optional<int> drawType;
    int width = 640;
    int height = 480;
    // How many frames to draw and write; each is one tick of the saver.
    int frames = 1;
    std::filesystem::path outDir;
    // The working grid file; its type comes from the settings.
    std::filesystem::path memPath;
    // Reads the terrain from elsewhere than memPath when set.
    CDraw::MeshMaker meshMaker;
};

struct OffscreenRenderResult {
    // Empty on success, else what went wrong, fit to show the user.
    std::string error;
    std::vector<std::filesystem::path> files;
    bool ok() const { return error.empty(); }
};

// Draws the current DEM with the current settings into an offscreen buffer
// and writes frame-0000.png, frame-0001.png, ... into outDir, as the saver
// would show them tick by tick. Needs no display. The DEM is read under
// store's lock.
OffscreenRenderResult renderOffscreen(const OffscreenRenderRequest& request, ProfileStore& store);

}  // namespace hg
