// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>

#include "settings/settings.h"

namespace hg {

// Settings given on a hack's command line: they win over the stored ones
// for that run only and are never written back, so XScreenSaver's own
// settings dialog cannot disturb what "hillglimmer /c" chose.
struct SaverOverrides {
    std::optional<int> drawType;
    std::optional<double> meshBlock;
    std::optional<double> yFactor;
    std::optional<double> speed;
    std::optional<double> step;
    // Read in place, its type taken from the extension; never copied into
    // the settings folder.
    std::optional<std::filesystem::path> dem;
};

// The stored settings with the overrides laid over them. Another DEM
// starts on its whole area: a part chosen on the working DEM means
// nothing on it.
void applySaverOverrides(const SaverOverrides& overrides, SaverSettings& saved);

}  // namespace hg
