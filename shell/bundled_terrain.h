#pragma once

#include <filesystem>
#include <string_view>

#include "platform/profile_store.h"

namespace hg {

// The bundled default terrain (a USGS DEM file compiled into the program);
// empty in a build without it.
std::string_view bundledTerrain();

// On a first run (no working file and no stored demType) installs the
// bundled terrain as the working file, as if the user had chosen it.
// Returns true when it installed it.
bool installBundledTerrainIfFirstRun(const std::filesystem::path& memPath, ProfileStore& store);

}  // namespace hg
