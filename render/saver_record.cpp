// SPDX-License-Identifier: MIT
#include "render/saver_record.h"

namespace hg {

void applySaverSettings(CViewSettings& record, const SaverSettings& saved) {
    record.yFactor = saved.yFactor;
    // Every start takes the contour interval from the settings, whatever the
    // style's own default.
    record.step = saved.step;
    record.meshBlock = saved.meshBlock;
    record.speed = saved.speed;
    record.startX = saved.startX;
    record.startZ = saved.startZ;
    record.isPart = saved.isPart;
    record.sizeMeshMaxX = saved.sizeMeshMaxX;
    record.sizeMeshMaxZ = saved.sizeMeshMaxZ;
    if (saved.xAngle) record.xAngle = *saved.xAngle;
    record.xAngle = clampTilt(record.xAngle);
    if (saved.yAngle) record.yAngle = *saved.yAngle;
    record.yAngle = clampTurn(record.yAngle);
}

void applyMapSettings(CViewSettings& record, const SaverSettings& saved, double yFactor) {
    record.yFactor = yFactor;
    record.meshBlock = 1.0;
    record.isPart = 0;
    record.startX = 0;
    record.startZ = 0;
    record.sizeMeshMaxX = saved.sizeMeshMaxX;
    record.sizeMeshMaxZ = saved.sizeMeshMaxZ;
}

}  // namespace hg
