// SPDX-License-Identifier: MIT
#include "shell/saver_overrides.h"

namespace hg {

void applySaverOverrides(const SaverOverrides& overrides, SaverSettings& saved) {
    if (overrides.drawType) saved.drawType = *overrides.drawType;
    if (overrides.meshBlock) saved.meshBlock = *overrides.meshBlock;
    if (overrides.yFactor) saved.yFactor = *overrides.yFactor;
    if (overrides.speed) saved.speed = *overrides.speed;
    if (overrides.step) saved.step = *overrides.step;
    if (overrides.dem) {
        saved.isPart = 0;
        saved.startX = 0;
        saved.startZ = 0;
    }
}

}  // namespace hg
