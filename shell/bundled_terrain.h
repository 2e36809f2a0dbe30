// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/profile_store.h"

namespace hg {

// The bundled default terrain (a USGS DEM file compiled into the program);
// empty in a build without it.
std::string_view bundledTerrain();

// Completes or undoes an interrupted DEM change, then, on a first run (no
// working file and no stored demType), installs the bundled terrain as the
// working file, as if the user had chosen it. Every start calls it.
// Returns true when it installed the terrain.
bool installBundledTerrainIfFirstRun(const std::filesystem::path& memPath, ProfileStore& store);

}  // namespace hg
