// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "dem/view_settings.h"
#include "render/draw.h"

namespace hg {

// What a record starts with for one style, before the stored settings
// fill it. The values not named keep the record's own defaults.
struct ViewDefaults {
    double normalWeight = 128.0;
    double step = 0.0;
    double xAngle = -20.0;
    double yAngle = -22.5;
    double distanceFactor = 1.66;
    bool perspective = true;
};

// One drawing style: everything the program decides by draw type.
struct StyleRow {
    int drawType;
    // The name shown by --help, taken by render --style and used in messages.
    const char* name;
    // The setup dialog lists it (Relief only serves the Outline/Part map).
    bool offered;
    // It draws contour lines, so the contour interval applies.
    bool usesContour;
    ViewDefaults defaults;
    // Null while the style is not part of this build.
    std::unique_ptr<CDraw> (*make)(const ProfileStore& store);
};

// The ten styles, in draw-type order.
std::span<const StyleRow> styleTable();

// The row of drawType, or null outside 0..9.
const StyleRow* styleRow(int drawType);

// True when the setup dialog lists drawType.
bool offeredStyle(int drawType);

// The drawing object for drawType; null for a type outside 0..9. A style
// without a maker in this build throws std::runtime_error naming it.
std::unique_ptr<CDraw> createDraw(int drawType, const ProfileStore& store);

// A record with drawType's defaults; null for a type outside 0..9.
std::unique_ptr<CViewSettings> createViewSettings(int drawType);

// The draw type named by text: a number 0..9 or a style's name ("mesh",
// "3d-contour", "contour"), case ignored; nullopt when it names none.
std::optional<int> drawTypeFromName(const std::string& text);

// The style's name ("Mesh", "3D-Contour"); empty outside 0..9.
const char* drawTypeName(int drawType);

// "Mesh, Shading, ...": the styles this build draws, for usage texts.
std::string availableStyleNames();

}  // namespace hg
