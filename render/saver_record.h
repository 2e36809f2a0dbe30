#pragma once

#include "dem/view_settings.h"
#include "settings/settings.h"

namespace hg {

// Fills a style's record from the stored settings the way every saver start
// does: list values, block size, speed, part window and limits, and the tilt
// and turn (stored or the style's own) clamped to their ranges.
void applySaverSettings(CViewSettings& record, const SaverSettings& saved);

}  // namespace hg
