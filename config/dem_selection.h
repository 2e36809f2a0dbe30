// SPDX-License-Identifier: MIT
#pragma once

#include "dem/dem_selection.h"

namespace hg {

// selectDemFile with the busy cursor shown during the copy or import.
SelectOutcome selectDemFile(const std::filesystem::path& file, const std::filesystem::path& memPath,
                            ProfileStore& store, void* owner,
                            const SheetIndexHandler& onSheetIndex);

}  // namespace hg
