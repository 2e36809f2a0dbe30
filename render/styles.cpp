// SPDX-License-Identifier: MIT
#include "render/styles.h"

#include <array>
#include <cctype>
#include <stdexcept>
#include <type_traits>

#include "render/draw_check.h"
#include "render/draw_contour.h"
#include "render/draw_flower.h"
#include "render/draw_iroiro.h"
#include "render/draw_mesh.h"
#include "render/draw_relief.h"
#include "render/draw_shading.h"
#include "render/draw_skeleton.h"
#include "render/draw_step.h"
#include "render/draw_wine.h"

namespace hg {

namespace {

// A style that keeps settings of its own reads them from the store it is
// made with; the others take nothing.
template <typename Style>
std::unique_ptr<CDraw> make(const ProfileStore& store) {
    if constexpr (std::is_constructible_v<Style, const ProfileStore&>) {
        return std::make_unique<Style>(store);
    } else {
        return std::make_unique<Style>();
    }
}

// Cyan is the single-colour surface in this one colour.
std::unique_ptr<CDraw> makeCyan(const ProfileStore&) {
    return std::make_unique<CDrawIroiro>(0x5DBBBB);
}

// The top view of the Outline/Part map: straight down, unturned, a box
// projection that keeps the map's proportions.
constexpr ViewDefaults kTopView{.normalWeight = 3.0,
                                .xAngle = -90.0,
                                .yAngle = 0.0,
                                .distanceFactor = 1.1,
                                .perspective = false};

// Lower normal weights let the favoured quadrant's face dominate less, so
// the light seems to sweep more softly as the terrain turns.
constexpr std::array<StyleRow, 10> kStyles{{
    {kDrawMesh, "Mesh", true, false, {}, &make<CDrawMesh>},
    {kDrawShading, "Shading", true, false, {}, &make<CDrawShading>},
    {kDrawWine, "Wine", true, false, {.normalWeight = 1.0}, &make<CDrawWine>},
    {kDrawCyan, "Cyan", true, false, {}, &makeCyan},
    {kDrawFlower, "Flower", true, false, {.normalWeight = 2.0}, &make<CDrawFlower>},
    {kDrawCheck, "Check", true, false, {.normalWeight = 2.0}, &make<CDrawCheck>},
    {kDrawSkeleton, "Skeleton", true, false, {.normalWeight = 3.0}, &make<CDrawSkeleton>},
    {kDrawContour, "3D-Contour", true, true, {.step = 50.0}, &make<CDrawContour>},
    {kDrawStep, "Step", true, true, {.step = 50.0}, &make<CDrawStep>},
    {kDrawRelief, "Relief", false, false, kTopView, &make<CDrawRelief>},
}};

bool sameIgnoringCase(const std::string& a, const char* b) {
    const std::string other(b);
    if (a.size() != other.size()) return false;
    for (std::size_t n = 0; n < a.size(); ++n) {
        if (std::tolower(static_cast<unsigned char>(a[n])) !=
            std::tolower(static_cast<unsigned char>(other[n]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::span<const StyleRow> styleTable() {
    return kStyles;
}

const StyleRow* styleRow(int drawType) {
    if (drawType < 0 || drawType >= static_cast<int>(kStyles.size())) return nullptr;
    return &kStyles[static_cast<std::size_t>(drawType)];
}

bool offeredStyle(int drawType) {
    const StyleRow* row = styleRow(drawType);
    return row != nullptr && row->offered;
}

std::unique_ptr<CDraw> createDraw(int drawType, const ProfileStore& store) {
    const StyleRow* row = styleRow(drawType);
    if (row == nullptr) return nullptr;
    if (row->make == nullptr) {
        throw std::runtime_error(std::string("The ") + row->name +
                                 " style is not available in this version yet.");
    }
    return row->make(store);
}

std::unique_ptr<CViewSettings> createViewSettings(int drawType) {
    const StyleRow* row = styleRow(drawType);
    if (row == nullptr) return nullptr;
    auto s = std::make_unique<CViewSettings>();
    s->drawType = drawType;
    s->normalWeight = row->defaults.normalWeight;
    s->step = row->defaults.step;
    s->xAngle = row->defaults.xAngle;
    s->yAngle = row->defaults.yAngle;
    s->distanceFactor = row->defaults.distanceFactor;
    s->perspective = row->defaults.perspective;
    return s;
}

std::optional<int> drawTypeFromName(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') return text[0] - '0';
    for (const StyleRow& row : kStyles) {
        if (sameIgnoringCase(text, row.name)) return row.drawType;
    }
    // Names a shell user types without the awkward "3D-".
    if (sameIgnoringCase(text, "contour") || sameIgnoringCase(text, "3dcontour")) {
        return kDrawContour;
    }
    return std::nullopt;
}

const char* drawTypeName(int drawType) {
    const StyleRow* row = styleRow(drawType);
    return row != nullptr ? row->name : "";
}

std::string availableStyleNames() {
    std::string names;
    for (const StyleRow& row : kStyles) {
        if (row.make == nullptr) continue;
        if (!names.empty()) names += ", ";
        names += row.name;
    }
    return names;
}

}  // namespace hg
