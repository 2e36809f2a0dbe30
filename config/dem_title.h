// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

#include "platform/profile_store.h"

namespace hg {

// The title of the DEM in the working file, as UTF-8 for display; empty when
// it cannot be read or the type has no title function. Never throws.
std::string demTitle(int demType, const std::filesystem::path& memPath, const ProfileStore& store);

}  // namespace hg
