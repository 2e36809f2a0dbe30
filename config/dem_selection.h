// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

#include "dem/dem_selection.h"

namespace hg {

// selectDemFile with the busy cursor shown during the copy or import and,
// once it has taken `progressAfter`, a progress dialog whose Cancel stops
// it (leaving the previous DEM). The dialog's object name is
// "importProgress".
SelectOutcome selectDemFile(const std::filesystem::path& file, const std::filesystem::path& memPath,
                            ProfileStore& store, void* owner, const SheetIndexHandler& onSheetIndex,
                            std::chrono::milliseconds progressAfter = std::chrono::seconds(1));

}  // namespace hg
