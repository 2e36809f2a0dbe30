// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace hg {

// One per saver run or preview: the settings, the style's defaults and,
// after loading, the grid's description. The defaults here are the Mesh
// style's; the style table sets each style's own.
struct CViewSettings {
    double fovY = 54.0;
    double xAngle = -20.0;
    double yAngle = -22.5;
    double yFactor = 0.0;
    double yOffset = 0.0;
    double step = 0.0;
    double speed = 0.5;
    double distanceFactor = 1.66;
    double seaHeight = 0.0;
    double meshBlock = 4.0;
    double normalWeight = 128.0;
    std::uint32_t backColor = 0;
    int sizeMeshMaxX = 201;
    int sizeMeshMaxZ = 201;
    int numCols = 0;
    int numRows = 0;
    int usedCols = 0;
    int usedRows = 0;
    int maxLines = 100;
    bool perspective = true;
    bool smoothMesh = false;
    bool heightColors = true;
    bool seaColors = true;
    // The style's draw type (render/styles.h); the grid never depends on it.
    int drawType = 0;
    // Exported from the grid after loading.
    std::string title;
    // The grid runs below the sea on purpose (the OS profile product), so
    // contours are drawn there too; the reader says so.
    bool contoursBelowSea = false;
    int demCols = 0;
    int demRows = 0;
    int thinStep = 0;
    double nwX = 0.0, nwY = 0.0, seX = 0.0, seY = 0.0;
    double ewSpacingN = 0.0, ewSpacingS = 0.0, ewSpacing = 0.0;
    double nsSpacingN = 0.0, nsSpacingS = 0.0, nsSpacing = 0.0;
    double minHeight = 0.0, maxHeight = 0.0;
    int startX = 0;
    int startZ = 0;
    int isPart = 0;
};

}  // namespace hg
