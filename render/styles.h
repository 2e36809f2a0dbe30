// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "dem/view_settings.h"
#include "render/draw.h"

namespace hg {

// Draw types, the settings key "sel": a style's row in the table below.
enum DrawType : int {
    kDrawMesh = 0,
    kDrawShading = 1,
    kDrawWine = 2,
    kDrawCyan = 3,
    kDrawFlower = 4,
    kDrawCheck = 5,
    kDrawSkeleton = 6,
    kDrawContour = 7,
    kDrawStep = 8,
    kDrawRelief = 9,
};

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
    std::unique_ptr<CDraw> (*make)(const ProfileStore& store);
};

class CDrawMesh;
class CDrawShading;
class CDrawWine;
class CDrawFlower;
class CDrawCheck;
class CDrawSkeleton;
class CDrawContour;
class CDrawStep;
class CDrawRelief;

// The maker of a style; made for each style of the table in styles.cpp.
template <typename Style>
std::unique_ptr<CDraw> makeStyle(const ProfileStore& store);
// Cyan is the single-colour surface in one colour.
std::unique_ptr<CDraw> makeCyan(const ProfileStore& store);

// The top view of the Outline/Part map: straight down, unturned, a box
// projection that keeps the map's proportions.
inline constexpr ViewDefaults kTopView{.normalWeight = 3.0,
                                       .xAngle = -90.0,
                                       .yAngle = 0.0,
                                       .distanceFactor = 1.1,
                                       .perspective = false};

// The styles, in draw-type order. Lower normal weights let the favoured
// quadrant's face dominate less, so the light seems to sweep more softly
// as the terrain turns.
inline constexpr auto kStyles = std::to_array<StyleRow>({
    {kDrawMesh, "Mesh", true, false, {}, &makeStyle<CDrawMesh>},
    {kDrawShading, "Shading", true, false, {}, &makeStyle<CDrawShading>},
    {kDrawWine, "Wine", true, false, {.normalWeight = 1.0}, &makeStyle<CDrawWine>},
    {kDrawCyan, "Cyan", true, false, {}, &makeCyan},
    {kDrawFlower, "Flower", true, false, {.normalWeight = 2.0}, &makeStyle<CDrawFlower>},
    {kDrawCheck, "Check", true, false, {.normalWeight = 2.0}, &makeStyle<CDrawCheck>},
    {kDrawSkeleton, "Skeleton", true, false, {.normalWeight = 3.0}, &makeStyle<CDrawSkeleton>},
    {kDrawContour, "3D-Contour", true, true, {.step = 50.0}, &makeStyle<CDrawContour>},
    {kDrawStep, "Step", true, true, {.step = 50.0}, &makeStyle<CDrawStep>},
    {kDrawRelief, "Relief", false, false, kTopView, &makeStyle<CDrawRelief>},
});

inline constexpr std::size_t kStyleCount = kStyles.size();
// How many styles the setup dialog lists: one radio button each.
inline constexpr std::size_t kOfferedStyleCount =
    static_cast<std::size_t>(std::ranges::count_if(kStyles, &StyleRow::offered));

// The table as a span, for those that walk it.
std::span<const StyleRow> styleTable();

// The row of drawType, or null outside the table.
const StyleRow* styleRow(int drawType);

// True when the setup dialog lists drawType.
bool offeredStyle(int drawType);

// The drawing object for drawType; null for a type outside the table.
std::unique_ptr<CDraw> createDraw(int drawType, const ProfileStore& store);

// A record with drawType's defaults; null for a type outside the table.
std::unique_ptr<CViewSettings> createViewSettings(int drawType);

// The draw type named by text: a draw-type number or a style's name
// ("mesh", "3d-contour", "contour"), case ignored; nullopt when it names
// none.
std::optional<int> drawTypeFromName(const std::string& text);

// The style's name ("Mesh", "3D-Contour"); empty outside the table.
const char* drawTypeName(int drawType);

// "Mesh, Shading, ...": every style, for usage texts.
std::string availableStyleNames();

}  // namespace hg
