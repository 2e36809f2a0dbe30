// SPDX-License-Identifier: MIT
#pragma once

#include "dem/view_settings.h"
#include "settings/settings.h"

namespace hg {

// Fills a style's record from the stored settings the way every saver start
// does: list values, block size, speed, part window and limits, and the tilt
// and turn (stored or the style's own) clamped to their ranges.
void applySaverSettings(CViewSettings& record, const SaverSettings& saved);

// Fills the relief map's record the way the part chooser does: the whole
// DEM thinned to the stored mesh limits, every sample kept, drawn with the
// given altitude factor from its own top view.
void applyMapSettings(CViewSettings& record, const SaverSettings& saved, double yFactor);

}  // namespace hg
